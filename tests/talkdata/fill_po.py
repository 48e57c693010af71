# Fills every job entry of a PO file with a translation and marks every
# look entry fuzzy with another, through translate-toolkit's PO library,
# as a translation platform saves the file:
#   python3 fill_po.py IN.po OUT.po JOB
import sys
from translate.storage import pypo
store = pypo.pofile.parsefile(sys.argv[1])
for unit in store.units:
    if unit.isheader():
        continue
    if unit.getcontext().endswith("/job"):
        unit.target = sys.argv[3]
    elif unit.getcontext().endswith("/look"):
        unit.target = "Draft."
        unit.markfuzzy(True)
open(sys.argv[2], "wb").write(bytes(store))
