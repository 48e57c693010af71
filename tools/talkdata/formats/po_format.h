// The gettext PO format, for translators' own tools: one entry per field
// that holds text, keyed by msgctxt "TOWN/PERSON/FIELD", with the field's
// place, its byte budget and, with --reference, another edition's text in
// its comments; read back as edits from the translations (msgstr).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "exported_records.h"
#include "problem_list.h"
#include "record_edits.h"

void write_po_export(const talk_input& input, const std::vector<exported_record>& records,
                     const export_reference* reference, FILE* out);

// Reads the translated entries of a PO file as edits for input: each entry
// with a msgstr that is not fuzzy edits the field its msgctxt names, when
// its msgid is still the input's text there (or its msgstr already is).
void read_po_edits(const std::string& text, const talk_input& input, edits_file* edits,
                   problem_list* problems);

// True when the first line that is not blank is a comment or a PO keyword.
bool claims_po(const std::string& text);

// The msgctxt of a field: "12/3/job".
std::string po_context(int town, int person, unsigned slot);

// The names of the header fields that tell the edition, the input and the
// disk of an export.
extern const char* const po_edition_field;
extern const char* const po_input_field;
extern const char* const po_disk_field;
