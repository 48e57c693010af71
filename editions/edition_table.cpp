#include "edition_table.h"

#include <memory>
#include <vector>

#include "apple2_edition.h"
#include "dos_edition.h"
#include "pc8801_edition.h"
#include "x68000_edition.h"

namespace {

const edition_entry* const editions[] = {
    &dos_edition,
    &apple2_edition,
    &pc8801_edition,
    &x68000_edition,
};

}  // namespace

const edition_list talk_editions = {editions, sizeof editions / sizeof *editions};

const edition_entry* find_edition(const std::string& name)
{
    for (const edition_entry* edition : talk_editions)
        if (name == edition->name)
            return edition;
    return nullptr;
}

std::string edition_name_list()
{
    std::string names;
    for (const edition_entry* edition : talk_editions)
        names += (names.empty() ? "" : ", ") + std::string(edition->name);
    return names;
}

const field_codec& edition_codec(const edition_entry* edition)
{
    static std::unique_ptr<field_codec> codecs[sizeof editions / sizeof *editions];
    size_t index = 0;
    while (index + 1 < talk_editions.count && talk_editions[index] != edition)
        index++;
    if (codecs[index] == nullptr) {
        codecs[index] = std::make_unique<field_codec>();
        prepare_field_codec(edition->profile, edition->title, codecs[index].get());
    }
    return *codecs[index];
}
