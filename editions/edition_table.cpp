#include "edition_table.h"

#include <map>
#include <memory>

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
    static std::map<const edition_entry*, std::unique_ptr<field_codec>> codecs;
    std::unique_ptr<field_codec>& codec = codecs[edition];
    if (codec == nullptr) {
        codec = std::make_unique<field_codec>();
        prepare_field_codec(edition->profile, edition->title, codec.get());
    }
    return *codec;
}
