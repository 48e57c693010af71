#include "sweep_variants.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <random>
#include <stdexcept>

#include "fat12_builder.h"
#include "talk_records.h"

namespace {

using rng_type = std::mt19937;

size_t below(rng_type& rng, size_t n)
{
    return n == 0 ? 0 : rng() % n;
}

unsigned char pick(rng_type& rng, const std::vector<unsigned>& values)
{
    return static_cast<unsigned char>(values[below(rng, values.size())]);
}

// A value that differs from the byte it replaces.
unsigned char differing(rng_type& rng, unsigned char value, unsigned char original)
{
    while (value == original)
        value = static_cast<unsigned char>(rng());
    return value;
}

std::string hex2(unsigned value)
{
    char text[8];
    snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

uint32_t le16_at(const byte_vector& bytes, size_t at)
{
    return uint32_t(bytes.at(at)) | uint32_t(bytes.at(at + 1)) << 8;
}

uint32_t le32_at(const byte_vector& bytes, size_t at)
{
    return le16_at(bytes, at) | le16_at(bytes, at + 2) << 16;
}

// The little-endian field of width bytes at field_start, with the byte at
// pos replaced by value.
uint32_t field_with(const byte_vector& bytes, size_t field_start, size_t width, size_t pos,
                    unsigned char value)
{
    uint32_t field = 0;
    for (size_t i = 0; i < width; i++)
        field |= uint32_t(field_start + i == pos ? value : bytes.at(field_start + i)) << (8 * i);
    return field;
}

sweep_variant set_byte(const std::string& file, size_t pos, unsigned char value,
                       const std::string& where, sweep_outcome outcome)
{
    sweep_variant v;
    v.file = file;
    v.edit = sweep_edit::set_byte;
    v.position = pos;
    v.value = value;
    v.where = where;
    v.outcome = outcome;
    return v;
}

sweep_variant failing(sweep_variant v, const std::string& final_line,
                      const std::string& inner_line = "", int record = -1)
{
    v.outcome = sweep_outcome::fails;
    v.final_line = final_line;
    v.inner_line = inner_line;
    v.failing_record = record;
    return v;
}

// Values that break or bend most structure fields.
unsigned char structure_value(rng_type& rng, unsigned char original)
{
    switch (below(rng, 6)) {
    case 0:
        return differing(rng, 0x00, original);
    case 1:
        return differing(rng, 0xFF, original);
    case 2:
        return static_cast<unsigned char>(original ^ 0x01);
    case 3:
        return static_cast<unsigned char>(original ^ 0x80);
    case 4:
        return static_cast<unsigned char>(original + 1);
    default:
        return differing(rng, static_cast<unsigned char>(rng()), original);
    }
}

// ---------------------------------------------------------------------------
// Talk records

enum class record_part { unread, flag, header, text, lead, trail, nul, tail, keyword };

const char* part_name(record_part part)
{
    switch (part) {
    case record_part::unread:
        return "byte never read";
    case record_part::flag:
        return "question flag";
    case record_part::header:
        return "header byte";
    case record_part::text:
        return "text byte";
    case record_part::lead:
        return "Shift-JIS lead byte";
    case record_part::trail:
        return "Shift-JIS trail byte";
    case record_part::nul:
        return "NUL ending a text";
    case record_part::tail:
        return "byte behind the last text";
    case record_part::keyword:
        return "keyword field byte";
    }
    return "";
}

struct record_map {
    talk_edition edition;
    byte_vector bytes;
    std::vector<record_part> parts;    // one per byte
    std::vector<unsigned char> codes;  // the one-byte codes the texts use
};

record_map map_record(talk_edition edition, const byte_vector& bytes)
{
    const talk_record_layout& layout = talk_layout(edition);
    if (bytes.size() != layout.record_size)
        throw std::runtime_error("sample record of the wrong size");
    record_map map{edition, bytes, std::vector<record_part>(bytes.size(), record_part::unread), {}};
    for (size_t i = 0; i < layout.header_count; i++)
        map.parts[layout.header_offset + i] = i == 0 ? record_part::flag : record_part::header;
    size_t pos = layout.text_offset;
    for (size_t k = 0; k < layout.stored_slots.size(); k++) {
        while (pos < layout.text_end && bytes[pos] != 0) {
            if (edition == talk_edition::x68000 && bytes[pos] >= 0x80 &&
                pos + 1 < layout.text_end) {
                map.parts[pos] = record_part::lead;
                map.parts[pos + 1] = record_part::trail;
                pos += 2;
            } else {
                map.parts[pos] = record_part::text;
                map.codes.push_back(bytes[pos]);
                pos++;
            }
        }
        if (pos >= layout.text_end)
            throw std::runtime_error("sample record whose texts do not end");
        map.parts[pos++] = record_part::nul;
    }
    for (; pos < layout.text_end; pos++)
        map.parts[pos] = record_part::tail;
    if (layout.text_end < layout.header_offset)  // the fixed keyword fields between
        for (pos = layout.text_end; pos < layout.header_offset; pos++)
            map.parts[pos] = record_part::keyword;
    return map;
}

bool valid_lead(unsigned v)
{
    return (v >= 0x81 && v <= 0x9F) || (v >= 0xE0 && v <= 0xFC);
}

bool valid_trail(unsigned v)
{
    return (v >= 0x40 && v <= 0x7E) || (v >= 0x80 && v <= 0xFC);
}

bool valid_flag(unsigned v)
{
    return v <= 6 || v == 10;
}

bool used_code(const record_map& map, unsigned char v)
{
    return std::find(map.codes.begin(), map.codes.end(), v) != map.codes.end();
}

// A one-byte code under the edition's rule: 1 valid, 0 invalid, -1 not
// known here (the game-code tables are not repeated in the tests; codes
// the sample texts use are known to be valid).
int code_validity(const record_map& map, unsigned char v)
{
    switch (map.edition) {
    case talk_edition::dos:
        return v == 0x0A || (v >= 0x20 && v <= 0x7E);
    case talk_edition::apple2:
        return (v >= 0x20 && v <= 0x60) || (v >= 0x7B && v <= 0x7E) || v == 0x8D;
    case talk_edition::pc8801:
        if (v <= 0x09 || (v >= 0x0B && v <= 0x1F) || (v >= 0x7F && v <= 0x85) || v == 0xA0 ||
            v >= 0xFE)
            return 0;
        return used_code(map, v) ? 1 : -1;
    case talk_edition::x68000:
        if (v >= 0x80)
            return valid_lead(v) ? -1 : 0;  // a lead byte pairs with what follows
        return used_code(map, v) ? 1 : -1;
    }
    return -1;
}

// What a listing does with record byte offset set to v.
sweep_outcome record_effect(const record_map& map, size_t offset, unsigned char v)
{
    switch (map.parts[offset]) {
    case record_part::unread:
    case record_part::tail:
        return sweep_outcome::same;
    case record_part::flag:
        return valid_flag(v) ? sweep_outcome::lists : sweep_outcome::fails;
    case record_part::header:
    case record_part::keyword:
        return sweep_outcome::lists;
    case record_part::nul:
        return sweep_outcome::any;
    case record_part::text: {
        if (v == 0)
            return sweep_outcome::any;
        int validity = code_validity(map, v);
        return validity < 0 ? sweep_outcome::any
               : validity   ? sweep_outcome::lists
                            : sweep_outcome::fails;
    }
    case record_part::lead:
        if (v < 0x80)
            return sweep_outcome::any;
        return valid_lead(v) ? sweep_outcome::lists : sweep_outcome::fails;
    case record_part::trail:
        return valid_trail(v) ? sweep_outcome::lists : sweep_outcome::fails;
    }
    return sweep_outcome::any;
}

// A value worth trying at a record byte: as often one that must fail as
// one that must still list.
unsigned char record_value(rng_type& rng, const record_map& map, size_t offset)
{
    unsigned char original = map.bytes[offset];
    std::vector<unsigned> values;
    switch (map.parts[offset]) {
    case record_part::flag:
        values = {0, 1, 2, 3, 4, 5, 6, 10, 7, 8, 9, 11, 0x20, 0x80, 0xFF};
        break;
    case record_part::text:
        if (!map.codes.empty() && below(rng, 2) == 0)
            return differing(rng, map.codes[below(rng, map.codes.size())], original);
        switch (map.edition) {
        case talk_edition::dos:
            values = {0x00, 0x09, 0x0D, 0x7F, 0x80, 0xFF, 0x01, 0x0A, 0x20, 0x41, 0x7E};
            break;
        case talk_edition::apple2:
            values = {0x00, 0x0A, 0x61, 0x7A, 0x7F, 0x8C, 0xFF, 0x01, 0x20, 0x41, 0x60, 0x7B, 0x8D};
            break;
        case talk_edition::pc8801:
            values = {0x00, 0x01, 0x0B, 0x1F, 0x7F, 0x85, 0xA0, 0xFE, 0xFF};
            break;
        case talk_edition::x68000:
            values = {0x00, 0x80, 0xA0, 0xA1, 0xDF, 0xFD, 0xFF, 0x81};
            break;
        }
        break;
    case record_part::lead:
        values = {0x81, 0x88, 0x9F, 0xE0, 0xFC, 0x80, 0xA0, 0xB5, 0xDF, 0xFD, 0xFF, 0x41};
        break;
    case record_part::trail:
        values = {0x40, 0x7E, 0x80, 0xA0, 0xFC, 0x00, 0x0A, 0x3F, 0x7F, 0xFD, 0xFF};
        break;
    case record_part::nul:
        values = {0x20, 0x41, 0x0A, 0x8D, 0x81, 0xFF};
        break;
    default:
        return differing(rng, static_cast<unsigned char>(rng()), original);
    }
    return differing(rng, pick(rng, values), original);
}

// A talk record as it lies in a sample file.
struct record_in_file {
    sweep_tool tool;
    int town;
    int person;
    std::string file;
    std::vector<size_t> positions;  // file position of each record byte
    record_map map;
};

std::string illegal_data_line(sweep_tool tool, int town, int person)
{
    if (tool == sweep_tool::talkd88)
        return "error: illegal data " + hex2(0x10u + unsigned(town) / 2) + "/" +
               hex2(unsigned(town) % 2) + "/" + hex2(unsigned(person) + 1);
    return "error: illegal data " + std::string(talk_town_label(town)) + "[" +
           std::to_string(person) + "]";
}

std::string read_sector_line(unsigned cylinder, unsigned head, unsigned record)
{
    return "error: read sector " + hex2(cylinder) + "/" + hex2(head) + "/" + hex2(record);
}

sweep_variant record_variant(const record_in_file& record, size_t offset, unsigned char value)
{
    std::string where = "town " + std::to_string(record.town) + " person " +
                        std::to_string(record.person) + ", record byte " + std::to_string(offset) +
                        ": " + part_name(record.map.parts[offset]);
    sweep_outcome effect = record_effect(record.map, offset, value);
    sweep_variant v = set_byte(record.file, record.positions[offset], value, where, effect);
    if (effect == sweep_outcome::fails)
        v = failing(v, print_failure_line(record.tool),
                    illegal_data_line(record.tool, record.town, record.person),
                    16 * record.town + record.person);
    return v;
}

using record_locator = std::function<record_in_file(int town, int person)>;

// count records picked at random, per_record bytes changed in each (one
// at a time): a part of the record first, so that flags and NULs come up
// as often as text bytes, then a byte of that part and a value for it.
void add_record_variants(std::vector<sweep_variant>& out, rng_type& rng, int count, int per_record,
                         const record_locator& locate)
{
    for (int i = 0; i < count; i++) {
        record_in_file record = locate(int(below(rng, 16)), int(below(rng, 16)));
        std::vector<record_part> present;
        for (record_part part : record.map.parts)
            if (std::find(present.begin(), present.end(), part) == present.end())
                present.push_back(part);
        for (int j = 0; j < per_record; j++) {
            record_part part = present[below(rng, present.size())];
            std::vector<size_t> offsets;
            for (size_t k = 0; k < record.map.parts.size(); k++)
                if (record.map.parts[k] == part)
                    offsets.push_back(k);
            size_t offset = offsets[below(rng, offsets.size())];
            out.push_back(record_variant(record, offset, record_value(rng, record.map, offset)));
        }
    }
}

std::vector<size_t> run_of(size_t start, size_t count)
{
    std::vector<size_t> positions;
    for (size_t i = 0; i < count; i++)
        positions.push_back(start + i);
    return positions;
}

// ---------------------------------------------------------------------------
// Apple II image

const char* const dsk_file = "velktown.dsk";
constexpr size_t dsk_talk_bytes = 65536;

record_in_file dsk_record(const byte_vector& bytes, int town, int person)
{
    size_t start = size_t(16 * town + person) * 256;
    return {sweep_tool::talkdsk,
            town,
            person,
            dsk_file,
            run_of(start, 256),
            map_record(talk_edition::apple2, byte_vector(bytes.begin() + long(start),
                                                         bytes.begin() + long(start) + 256))};
}

sweep_variant dsk_cut(size_t length)
{
    sweep_variant v;
    v.file = dsk_file;
    v.edit = sweep_edit::truncate;
    v.position = length;
    v.where = length < dsk_talk_bytes ? "inside the talk data" : "behind the talk data";
    if (length >= dsk_talk_bytes) {
        v.outcome = sweep_outcome::same;
        return v;
    }
    return failing(v, read_failure_line(sweep_tool::talkdsk),
                   "error: read '" + std::string(dsk_file) + "'");
}

// ---------------------------------------------------------------------------
// DOS town files

std::string dos_file(int town)
{
    return "dos/" + std::string(dos_town_file_names[town]);
}

constexpr size_t dos_file_bytes = 4608;

record_in_file dos_record(int town, int person)
{
    byte_vector bytes = sample_bytes(dos_file(town));
    size_t start = size_t(person) * 288;
    return {sweep_tool::talkdir,
            town,
            person,
            dos_file(town),
            run_of(start, 288),
            map_record(talk_edition::dos, byte_vector(bytes.begin() + long(start),
                                                      bytes.begin() + long(start) + 288))};
}

sweep_variant dos_cut(int town, size_t length)
{
    sweep_variant v;
    v.file = dos_file(town);
    v.edit = sweep_edit::truncate;
    v.position = length;
    v.where = "town file of town " + std::to_string(town);
    if (length >= dos_file_bytes) {
        v.outcome = sweep_outcome::same;
        return v;
    }
    return failing(v, read_failure_line(sweep_tool::talkdir),
                   "error: read '" + std::string(dos_town_file_names[town]) + "'");
}

// ---------------------------------------------------------------------------
// D88 image

const char* const d88_file = "velk-towne.d88";
constexpr size_t d88_header_bytes = 688;

struct d88_sector_site {
    size_t header;  // file position of the sector header
    int slot;
    int index;  // position in its track
    unsigned cylinder, head, record, size_code, count;
    size_t data_size;
    int town;  // -1: not a talk sector
};

// One disk of the file. Positions are the file's; offsets, as stored, are
// counted from the disk's start (base).
struct d88_layout {
    byte_vector bytes;  // the whole file
    size_t base;
    bool talk_disk;  // the disk that talkd88 lists (the first)
    uint32_t disk_size;
    std::array<uint32_t, 164> offsets;
    std::vector<d88_sector_site> sectors;  // by header position
    std::array<int, 16> talk_slots;        // -1 on every other disk
};

d88_layout map_d88_disk(const byte_vector& bytes, size_t base, bool talk_disk)
{
    d88_layout d{bytes, base, talk_disk, le32_at(bytes, base + 0x1C), {}, {}, {}};
    d.talk_slots.fill(-1);
    for (int slot = 0; slot < 164; slot++) {
        d.offsets[size_t(slot)] = le32_at(bytes, base + 0x20 + 4 * size_t(slot));
        if (d.offsets[size_t(slot)] == 0)
            continue;
        size_t pos = base + d.offsets[size_t(slot)];
        unsigned count = le16_at(bytes, pos + 4);
        for (unsigned i = 0; i < count; i++) {
            d88_sector_site s{pos,
                              slot,
                              int(i),
                              bytes.at(pos),
                              bytes.at(pos + 1),
                              bytes.at(pos + 2),
                              bytes.at(pos + 3),
                              le16_at(bytes, pos + 4),
                              le16_at(bytes, pos + 14),
                              -1};
            if (talk_disk && s.cylinder >= 0x10 && s.cylinder <= 0x17 && s.head <= 1 &&
                s.record >= 1 && s.record <= 16 && s.size_code == 1 && s.data_size == 256) {
                s.town = int(s.cylinder - 0x10) * 2 + int(s.head);
                d.talk_slots[size_t(s.town)] = slot;
            }
            d.sectors.push_back(s);
            pos += 16 + s.data_size;
        }
    }
    std::sort(
        d.sectors.begin(), d.sectors.end(),
        [](const d88_sector_site& a, const d88_sector_site& b) { return a.header < b.header; });
    for (int slot : d.talk_slots)
        if (talk_disk && slot < 0)
            throw std::runtime_error("the D88 sample lacks a talk track");
    return d;
}

// Every disk of the file, the talk disk first.
std::vector<d88_layout> map_d88(const byte_vector& bytes)
{
    std::vector<d88_layout> disks;
    for (size_t base = 0; base < bytes.size(); base += disks.back().disk_size)
        disks.push_back(map_d88_disk(bytes, base, disks.empty()));
    if (disks.size() < 2)
        throw std::runtime_error("the D88 sample lacks a disk behind the talk disk");
    return disks;
}

// The disk that holds file position pos.
const d88_layout& d88_disk_at(const std::vector<d88_layout>& disks, size_t pos)
{
    for (const d88_layout& d : disks)
        if (pos < d.base + d.disk_size)
            return d;
    return disks.back();
}

const d88_sector_site* d88_sector_at(const d88_layout& d, size_t pos)
{
    for (const d88_sector_site& s : d.sectors)
        if (pos >= s.header && pos < s.header + 16 + s.data_size)
            return &s;
    return nullptr;
}

const d88_sector_site& d88_talk_sector(const d88_layout& d, int town, int person)
{
    for (const d88_sector_site& s : d.sectors)
        if (s.town == town && int(s.record) == person + 1)
            return s;
    throw std::runtime_error("the D88 sample lacks a talk sector");
}

// The town whose talk track lies in slot, or -1.
int d88_town_of_slot(const d88_layout& d, int slot)
{
    for (int town = 0; town < 16; town++)
        if (d.talk_slots[size_t(town)] == slot)
            return town;
    return -1;
}

record_in_file d88_record(const d88_layout& d, int town, int person)
{
    const d88_sector_site& s = d88_talk_sector(d, town, person);
    size_t start = s.header + 16;
    return {sweep_tool::talkd88,
            town,
            person,
            d88_file,
            run_of(start, 256),
            map_record(talk_edition::pc8801, byte_vector(d.bytes.begin() + long(start),
                                                         d.bytes.begin() + long(start) + 256))};
}

sweep_variant d88_read_failure(sweep_variant v)
{
    return failing(v, read_failure_line(sweep_tool::talkd88),
                   "read image data error '" + std::string(d88_file) + "'");
}

// The listing stops at the first person of town: its track is gone.
sweep_variant d88_track_missing(sweep_variant v, int town, unsigned record = 1)
{
    return failing(v, print_failure_line(sweep_tool::talkd88),
                   read_sector_line(0x10u + unsigned(town) / 2, unsigned(town) % 2, record),
                   16 * town + int(record) - 1);
}

// A changed byte of disk d: a damaged disk of the file fails the whole
// read, whichever disk is listed.
sweep_variant d88_byte(const d88_layout& d, size_t pos, unsigned char value)
{
    const byte_vector& b = d.bytes;
    size_t at = pos - d.base;  // position in the disk
    std::string disk = d.talk_disk ? "" : "second disk: ";
    if (at < 0x11)
        return set_byte(d88_file, pos, value, disk + "disk name", sweep_outcome::same);
    if (at < 0x1A)
        return set_byte(d88_file, pos, value, disk + "reserved header byte", sweep_outcome::same);
    if (at == 0x1A) {
        sweep_variant v =
            set_byte(d88_file, pos, value, disk + "write-protect flag", sweep_outcome::same);
        return value == 0x00 || value == 0x10 ? v : d88_read_failure(v);
    }
    if (at == 0x1B) {
        sweep_variant v = set_byte(d88_file, pos, value, disk + "media type", sweep_outcome::same);
        return value == 0x00 || value == 0x10 || value == 0x20 ? v : d88_read_failure(v);
    }
    if (at < 0x20) {
        // Smaller, the last track is cut short; larger than the rest of
        // the file, the disk cannot be read; larger within it, the next
        // disk is read from inside this one's successor.
        sweep_variant v = set_byte(d88_file, pos, value, disk + "disk size", sweep_outcome::any);
        uint32_t size = field_with(b, d.base + 0x1C, 4, pos, value);
        return size > d.disk_size && d.base + size <= b.size() ? v : d88_read_failure(v);
    }
    if (at < d88_header_bytes) {
        int slot = int(at - 0x20) / 4;
        size_t entry = d.base + 0x20 + 4 * size_t(slot);
        uint32_t offset = field_with(b, entry, 4, pos, value);
        int town = d88_town_of_slot(d, slot);
        sweep_variant v = set_byte(d88_file, pos, value,
                                   disk + "track offset of slot " + std::to_string(slot) +
                                       (town >= 0 ? " (talk track)" : ""),
                                   sweep_outcome::any);
        // The slot loses its track when it points at none, at another
        // track (it then reads a copy of that one), or at the 16 zero bytes
        // that end a 672-byte header (an empty track). Whatever the slot
        // held then lies behind the last sector of the slot before it.
        bool other_track = false;
        for (int other = 0; other < 164; other++)
            other_track |= other != slot && d.offsets[size_t(other)] == offset && offset != 0;
        bool short_header = offset == 672 && slot < 160;
        auto disk_start = b.begin() + long(d.base);
        bool zero_track = short_header && std::all_of(disk_start + 672, disk_start + 688,
                                                      [](unsigned char c) { return c == 0; });
        if (offset == 0 || other_track || zero_track) {
            if (town >= 0)
                return d88_track_missing(v, town);
            v.outcome = sweep_outcome::same;
            return v;
        }
        if (offset >= d.disk_size || (offset < d88_header_bytes && !short_header))
            return d88_read_failure(v);
        return v;
    }
    const d88_sector_site* s = d88_sector_at(d, pos);
    if (s == nullptr)
        return set_byte(d88_file, pos, value, disk + "bytes behind the tracks",
                        sweep_outcome::same);
    size_t j = pos - s->header;
    std::string sector_name = disk + "slot " + std::to_string(s->slot) + " sector " +
                              std::to_string(s->index) + (s->town >= 0 ? " (talk record)" : "");
    sweep_variant v =
        set_byte(d88_file, pos, value, sector_name + " header byte " + std::to_string(j),
                 sweep_outcome::same);
    if (j >= 16) {
        if (s->town >= 0)
            return record_variant(d88_record(d, s->town, int(s->record) - 1), j - 16, value);
        v.where = sector_name + " data";
        return v;
    }
    int slot_town = d88_town_of_slot(d, s->slot);
    switch (j) {
    case 0:
    case 1: {
        // Only the first sector of a track gives the track's cylinder and
        // head; the others' are never compared.
        if (s->index != 0)
            return v;
        if (slot_town >= 0)
            return d88_track_missing(v, slot_town);
        unsigned cylinder = j == 0 ? value : s->cylinder;
        unsigned head = j == 1 ? value : s->head;
        for (int town = 0; town < 16; town++)
            if (cylinder == 0x10u + unsigned(town) / 2 && head == unsigned(town) % 2 &&
                s->slot < d.talk_slots[size_t(town)])
                v.outcome = sweep_outcome::any;  // it now stands in for a talk track
        return v;
    }
    case 2:
    case 3:
        if (s->town >= 0)
            return d88_track_missing(v, s->town, s->record);
        return v;
    case 4:
    case 5: {
        if (s->index != 0)
            return v;
        uint32_t count = field_with(b, s->header + 4, 2, pos, value);
        if (count == 0 || count > s->count)
            return d88_read_failure(v);
        if (slot_town >= 0)
            return d88_track_missing(v, slot_town, count + 1);
        return v;
    }
    case 14:
    case 15:
        v.outcome = sweep_outcome::any;
        return v;
    default:  // density, deleted mark, status, reserved bytes
        return v;
    }
}

unsigned char d88_value(rng_type& rng, const d88_layout& d, size_t pos)
{
    size_t at = pos - d.base;
    const d88_sector_site* s = at >= d88_header_bytes ? d88_sector_at(d, pos) : nullptr;
    if (s != nullptr && s->town >= 0 && pos >= s->header + 16)
        return record_value(rng, d88_record(d, s->town, int(s->record) - 1).map,
                            pos - s->header - 16);
    if (at == 0x1A)
        return differing(rng, pick(rng, {0x00, 0x10, 0x01, 0x20, 0xFF}), d.bytes[pos]);
    if (at == 0x1B)
        return differing(rng, pick(rng, {0x00, 0x10, 0x20, 0x30, 0x01, 0xFF}), d.bytes[pos]);
    return structure_value(rng, d.bytes[pos]);
}

sweep_variant d88_cut(const std::vector<d88_layout>& disks, size_t length, sweep_edit edit)
{
    sweep_variant v;
    v.file = d88_file;
    v.edit = edit;
    v.position = length;
    v.outcome = sweep_outcome::any;
    if (edit == sweep_edit::truncate) {
        // The disks before the cut are read whole; the rest is a disk cut
        // short, or too short for a disk header and ignored.
        const d88_layout& cut = d88_disk_at(disks, length);
        size_t rest = length - cut.base;
        v.where = cut.talk_disk ? "plain cut" : "plain cut in the second disk";
        if (length == 0)
            return failing(v, read_failure_line(sweep_tool::talkd88));
        if (rest == 0)
            return (v.outcome = sweep_outcome::same, v);
        if (rest < d88_header_bytes && rest != 672) {
            if (!cut.talk_disk)
                return (v.outcome = sweep_outcome::lists, v);
            return failing(v, "error: illegal image index '" + std::string(d88_file) + "':0",
                           "data size too short ... garbage? ... ignored");
        }
        return d88_read_failure(v);
    }
    // A cut with the disk size and the table of the talk disk made to fit:
    // tracks that start at or behind the cut are gone, a track cut short
    // fails; a cut in the second disk only makes the talk disk longer.
    const d88_layout& d = disks.front();
    const d88_sector_site* s = d88_sector_at(d, length);
    if (s == nullptr) {
        v.where = "cut behind the last track";
        v.outcome = sweep_outcome::same;
        return v;
    }
    v.where = "cut in slot " + std::to_string(s->slot) + " sector " + std::to_string(s->index);
    if (s->index == 0 && length > s->header && length < s->header + 16)
        return v;  // an extent shorter than a sector header: the reader may take it for empty
    if (length != s->header || s->index != 0)
        return d88_read_failure(v);
    v.where = "cut before slot " + std::to_string(s->slot);
    for (int town = 0; town < 16; town++)
        if (d.talk_slots[size_t(town)] >= s->slot)
            return d88_track_missing(v, town);
    v.outcome = sweep_outcome::same;
    return v;
}

// ---------------------------------------------------------------------------
// XDF image

const char* const xdf_file = "velk-britannia.xdf";

struct xdf_layout {
    byte_vector bytes;
    const fat12_test_geometry* g;
    size_t fat1, fat2, root, data, cluster_bytes;
    size_t entry_slot;
    std::vector<int> chain;
    uint32_t file_size;
};

bool same_name_ignoring_case(const unsigned char* a, const char* b)
{
    for (int i = 0; i < 11; i++) {
        unsigned x = a[i];
        unsigned y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z')
            x -= 0x20;
        if (y >= 'a' && y <= 'z')
            y -= 0x20;
        if (x != y)
            return false;
    }
    return true;
}

unsigned fat12_entry_at(const byte_vector& bytes, size_t fat, int cluster)
{
    size_t at = fat + size_t(cluster) * 3 / 2;
    unsigned pair = unsigned(bytes.at(at)) | unsigned(bytes.at(at + 1)) << 8;
    return cluster % 2 == 0 ? pair & 0xFFF : pair >> 4;
}

xdf_layout map_xdf(const byte_vector& bytes)
{
    const fat12_test_geometry& g = fat12_geometry(fat12_test_layout::xdf);
    size_t sector = size_t(g.bytes_per_sector);
    xdf_layout x{bytes,
                 &g,
                 size_t(g.fat_start) * sector,
                 size_t(g.fat_start + g.fat_sectors) * sector,
                 size_t(g.root_start) * sector,
                 size_t(g.data_start) * sector,
                 sector * size_t(g.sectors_per_cluster),
                 0,
                 {},
                 0};
    size_t slot = 0;
    while (slot < size_t(g.root_entries) &&
           !same_name_ignoring_case(&bytes.at(x.root + 32 * slot), "TALKDATABIN"))
        slot++;
    if (slot == size_t(g.root_entries))
        throw std::runtime_error("the XDF sample lacks TALKDATA.BIN");
    x.entry_slot = slot;
    size_t entry = x.root + 32 * slot;
    x.file_size = le32_at(bytes, entry + 28);
    int cluster = int(le16_at(bytes, entry + 26));
    for (size_t covered = 0; covered < x.file_size; covered += x.cluster_bytes) {
        if (cluster < 2 || cluster > g.cluster_count + 1)
            throw std::runtime_error("the XDF sample has a broken chain");
        x.chain.push_back(cluster);
        cluster = int(fat12_entry_at(bytes, x.fat1, cluster));
    }
    return x;
}

size_t xdf_file_position(const xdf_layout& x, size_t offset)
{
    return x.data + size_t(x.chain[offset / x.cluster_bytes] - 2) * x.cluster_bytes +
           offset % x.cluster_bytes;
}

record_in_file xdf_record(const xdf_layout& x, int town, int person)
{
    size_t start = size_t(16 * town + person) * 512;
    std::vector<size_t> positions;
    byte_vector bytes;
    for (size_t i = 0; i < 512; i++) {
        positions.push_back(xdf_file_position(x, start + i));
        bytes.push_back(x.bytes.at(positions.back()));
    }
    return {sweep_tool::talkxdf,
            town,
            person,
            xdf_file,
            positions,
            map_record(talk_edition::x68000, bytes)};
}

std::string xdf_data_file_line()
{
    return "error: read disk image '" + std::string(xdf_file) + "/TALKDATA.BIN'";
}

// A read that meets cluster next where the chain went on elsewhere: a
// number no cluster has ends it, any other leads to other data.
sweep_variant xdf_chain_link(sweep_variant v, const xdf_layout& x, unsigned next)
{
    char line[64];
    if (next < 2 || next > 0xFEF)
        snprintf(line, sizeof line, "illegal cluster 0x%X", next);
    else if (next > unsigned(x.g->cluster_count) + 1)
        snprintf(line, sizeof line, "can't get sector from cluster 0x%X", next);
    else
        return (v.outcome = sweep_outcome::any, v);
    return failing(v, xdf_data_file_line(), line);
}

sweep_variant xdf_byte(const xdf_layout& x, size_t pos, unsigned char value)
{
    const byte_vector& b = x.bytes;
    if (pos < x.fat1)
        return set_byte(xdf_file, pos, value, "boot sector", sweep_outcome::same);
    if (pos < x.fat2) {
        // The read follows the chain to its first changed link; the link
        // of the last cluster is never followed.
        byte_vector changed(b.begin() + long(x.fat1), b.begin() + long(x.fat2));
        changed[pos - x.fat1] = value;
        int first = int((pos - x.fat1) / 3) * 2;
        sweep_variant v = set_byte(xdf_file, pos, value,
                                   "FAT entries of clusters " + std::to_string(first) + " and " +
                                       std::to_string(first + 1),
                                   sweep_outcome::same);
        for (size_t i = 0; i + 1 < x.chain.size(); i++) {
            unsigned next = fat12_entry_at(changed, 0, x.chain[i]);
            if (next == unsigned(x.chain[i + 1]))
                continue;
            v.where += " (TALKDATA.BIN's chain)";
            return xdf_chain_link(v, x, next);
        }
        return v;
    }
    if (pos < x.root)
        return set_byte(xdf_file, pos, value, "second FAT copy", sweep_outcome::same);
    if (pos < x.data) {
        size_t slot = (pos - x.root) / 32;
        size_t j = (pos - x.root) % 32;
        size_t entry = x.root + 32 * slot;
        std::string where = "root entry " + std::to_string(slot) + " byte " + std::to_string(j);
        if (slot != x.entry_slot) {
            unsigned char name[11];
            std::copy(b.begin() + long(entry), b.begin() + long(entry) + 11, name);
            if (j < 11)
                name[j] = value;
            return set_byte(xdf_file, pos, value, where,
                            same_name_ignoring_case(name, "TALKDATABIN") ? sweep_outcome::any
                                                                         : sweep_outcome::same);
        }
        where += " (TALKDATA.BIN)";
        sweep_variant v = set_byte(xdf_file, pos, value, where, sweep_outcome::same);
        if (j < 11) {
            unsigned original = b[pos] | 0x20;
            bool letter = original >= 'a' && original <= 'z';
            if (letter && (value ^ 0x20) == b[pos])
                return v;  // the same name in the other letter case
            return failing(v, xdf_data_file_line(), "can't find 'TALKDATA.BIN'");
        }
        if (j < 26)
            return v;  // attributes and times are not read
        if (j < 28)
            return xdf_chain_link(v, x, field_with(b, entry + 26, 2, pos, value));
        int32_t size = static_cast<int32_t>(field_with(b, entry + 28, 4, pos, value));
        return failing(v, "error: file size: " + std::to_string(size));
    }
    size_t cluster_index = (pos - x.data) / x.cluster_bytes;
    int cluster = int(cluster_index) + 2;
    auto in_chain = std::find(x.chain.begin(), x.chain.end(), cluster);
    if (in_chain != x.chain.end()) {
        size_t offset =
            size_t(in_chain - x.chain.begin()) * x.cluster_bytes + (pos - x.data) % x.cluster_bytes;
        if (offset < x.file_size)
            return record_variant(xdf_record(x, int(offset / 512) / 16, int(offset / 512) % 16),
                                  offset % 512, value);
    }
    return set_byte(xdf_file, pos, value, "cluster " + std::to_string(cluster) + " (no file)",
                    sweep_outcome::same);
}

unsigned char xdf_value(rng_type& rng, const xdf_layout& x, size_t pos)
{
    unsigned char original = x.bytes[pos];
    if (pos >= x.data) {
        size_t cluster_index = (pos - x.data) / x.cluster_bytes;
        auto in_chain = std::find(x.chain.begin(), x.chain.end(), int(cluster_index) + 2);
        if (in_chain != x.chain.end()) {
            size_t offset = size_t(in_chain - x.chain.begin()) * x.cluster_bytes +
                            (pos - x.data) % x.cluster_bytes;
            return record_value(rng,
                                xdf_record(x, int(offset / 512) / 16, int(offset / 512) % 16).map,
                                offset % 512);
        }
    }
    size_t entry = x.root + 32 * x.entry_slot;
    if (pos >= entry && pos < entry + 11 && below(rng, 2) == 0)
        return static_cast<unsigned char>(original ^ 0x20);
    return structure_value(rng, original);
}

sweep_variant xdf_cut(size_t length)
{
    sweep_variant v;
    v.file = xdf_file;
    v.edit = sweep_edit::truncate;
    v.position = length;
    const fat12_test_geometry& dd9 = fat12_geometry(fat12_test_layout::dd9);
    const fat12_test_geometry& dd8 = fat12_geometry(fat12_test_layout::dd8);
    if (length == dd9.image_size || length == dd8.image_size) {
        v.where = "the size of another layout";
        v.outcome = sweep_outcome::any;
        return v;
    }
    v.where = "no layout's size";
    return failing(v, read_failure_line(sweep_tool::talkxdf),
                   length == 0 ? "" : "unsupported image '" + std::string(xdf_file) + "'");
}

// Positions spread over a whole file.
void add_random_positions(std::vector<size_t>& positions, rng_type& rng, size_t size, int count)
{
    for (int i = 0; i < count; i++)
        positions.push_back(below(rng, size));
}

}  // namespace

// ---------------------------------------------------------------------------

std::vector<sweep_variant> dsk_cut_variants(int scale)
{
    rng_type rng(dsk_sweep_seed);
    size_t size = sample_bytes(dsk_file).size();
    std::vector<size_t> lengths = {0,     1,     255,   256,   257,   4095,
                                   4096,  4097,  32768, 61439, 61440, 65279,
                                   65280, 65535, 65536, 65537, 65792, size - 1};
    add_random_positions(lengths, rng, size, 6 * scale);
    std::vector<sweep_variant> variants;
    for (size_t length : lengths)
        variants.push_back(dsk_cut(length));
    for (size_t count : {size_t(1), size_t(4096)}) {
        sweep_variant v;
        v.file = dsk_file;
        v.edit = sweep_edit::append;
        v.count = count;
        v.value = 0xFF;
        v.where = "bytes behind the image";
        v.outcome = sweep_outcome::same;
        variants.push_back(v);
    }
    return variants;
}

std::vector<sweep_variant> dsk_byte_variants(int scale)
{
    rng_type rng(dsk_sweep_seed + 1);
    byte_vector bytes = sample_bytes(dsk_file);
    std::vector<sweep_variant> variants;
    add_record_variants(variants, rng, 12 * scale, 5,
                        [&](int town, int person) { return dsk_record(bytes, town, person); });
    std::vector<size_t> positions;
    add_random_positions(positions, rng, bytes.size(), 10 * scale);
    for (size_t pos : positions) {
        if (pos >= dsk_talk_bytes) {
            unsigned char value = structure_value(rng, bytes[pos]);
            variants.push_back(
                set_byte(dsk_file, pos, value, "behind the talk data", sweep_outcome::same));
            continue;
        }
        record_in_file record = dsk_record(bytes, int(pos / 4096), int(pos / 256 % 16));
        variants.push_back(
            record_variant(record, pos % 256, record_value(rng, record.map, pos % 256)));
    }
    return variants;
}

std::vector<sweep_variant> dos_cut_variants(int scale)
{
    rng_type rng(dos_sweep_seed);
    std::vector<sweep_variant> variants;
    for (int town : {0, 15})
        for (size_t length :
             std::vector<size_t>{0, 1, 2, 3, 287, 288, 289, 575, 576, 2304, 4319, 4320, 4607})
            variants.push_back(dos_cut(town, length));
    for (int town : {5, 11})
        for (size_t length : std::vector<size_t>{0, 288, 4607})
            variants.push_back(dos_cut(town, length));
    for (int i = 0; i < 4 * scale; i++)
        variants.push_back(dos_cut(int(below(rng, 16)), below(rng, dos_file_bytes)));
    for (int town : {0, 15})
        for (size_t count : {size_t(1), size_t(300)}) {
            sweep_variant v;
            v.file = dos_file(town);
            v.edit = sweep_edit::append;
            v.count = count;
            v.value = 0x41;
            v.where = "bytes behind a town's records";
            v.outcome = sweep_outcome::same;
            variants.push_back(v);
        }
    return variants;
}

std::vector<sweep_variant> dos_byte_variants(int scale)
{
    rng_type rng(dos_sweep_seed + 1);
    std::vector<sweep_variant> variants;
    add_record_variants(variants, rng, 16 * scale, 5, dos_record);
    return variants;
}

std::vector<sweep_variant> d88_cut_variants(int scale)
{
    rng_type rng(d88_sweep_seed);
    std::vector<d88_layout> disks = map_d88(sample_bytes(d88_file));
    const d88_layout& d = disks.front();
    size_t size = d.bytes.size();
    size_t second = disks[1].base;

    std::vector<size_t> plain = {0, 1, 17, 27, 28, 32, 671, 672, 673, 687, 688, 689, size - 1};
    // The second disk's start: nothing, too little for its header, a header
    // without its tracks.
    for (size_t at : std::vector<size_t>{0, 1, 671, 672, 687, 688})
        plain.push_back(second + at);
    plain.push_back(second - 1);
    for (int slot : {0, 32, 79, 80, 160, 163})
        plain.push_back(0x20 + 4 * size_t(slot) + 2);
    std::vector<size_t> cuts = {688, 689, 700, size - 1};
    const std::vector<int> cut_slots = {8, 16, 24, 31, 32, 33, 40, 47, 48, 56, 64, 72, 79};
    for (const d88_sector_site& s : d.sectors) {
        bool track_start = s.index == 0;
        if (track_start && (s.slot == 1 || s.slot == 32 || s.slot == 48 || s.slot == 79))
            plain.push_back(s.header);
        if ((s.slot == 0 && s.index % 7 == 1) || (s.slot == d.talk_slots[0] && s.index % 7 == 0) ||
            (s.slot == 79 && s.index % 15 == 0))
            cuts.push_back(s.header);
        if (track_start && std::find(cut_slots.begin(), cut_slots.end(), s.slot) != cut_slots.end())
            cuts.push_back(s.header);
        if (track_start && (s.slot == 0 || s.slot == d.talk_slots[15]))
            for (size_t inside : {size_t(1), size_t(4), size_t(5), size_t(15), size_t(16),
                                  size_t(17), 16 + s.data_size - 1})
                cuts.push_back(s.header + inside);
    }
    add_random_positions(plain, rng, size, 5 * scale);
    for (int i = 0; i < 8 * scale; i++)
        cuts.push_back(d88_header_bytes + below(rng, d.disk_size - d88_header_bytes));
    for (std::vector<size_t>* lengths : {&plain, &cuts}) {
        std::sort(lengths->begin(), lengths->end());
        lengths->erase(std::unique(lengths->begin(), lengths->end()), lengths->end());
    }

    std::vector<sweep_variant> variants;
    for (size_t length : plain)
        variants.push_back(d88_cut(disks, length, sweep_edit::truncate));
    for (size_t length : cuts)
        variants.push_back(d88_cut(disks, length, sweep_edit::cut_d88));

    struct appended {
        size_t count;
        sweep_outcome outcome;
    } const appends[] = {
        {100, sweep_outcome::lists}, {672, sweep_outcome::fails}, {688, sweep_outcome::fails}};
    for (const appended& a : appends) {
        sweep_variant v;
        v.file = d88_file;
        v.edit = sweep_edit::append;
        v.count = a.count;
        v.value = 0x00;
        v.where = "bytes behind the disk";
        v.outcome = a.outcome;
        variants.push_back(a.outcome == sweep_outcome::fails ? d88_read_failure(v) : v);
    }
    return variants;
}

std::vector<sweep_variant> d88_byte_variants(int scale)
{
    rng_type rng(d88_sweep_seed + 1);
    std::vector<d88_layout> disks = map_d88(sample_bytes(d88_file));
    const d88_layout& d = disks.front();
    const d88_layout& blank = disks[1];
    std::vector<size_t> positions;
    // The header fields of every disk.
    for (const d88_layout& disk : disks)
        for (size_t at : std::vector<size_t>{0, 5, 16, 0x11, 0x19, 0x1A, 0x1A, 0x1A, 0x1B, 0x1B,
                                             0x1B, 0x1C, 0x1D, 0x1E, 0x1F})
            positions.push_back(disk.base + at);
    for (int slot : {0, 1, 31, 32, 33, 47, 48, 79})
        for (size_t byte = 0; byte < 4; byte++)
            positions.push_back(0x20 + 4 * size_t(slot) + byte);
    std::vector<sweep_variant> variants;
    // Tracks are 16 x 272 = 0x1100 bytes long: a second offset byte 0x11
    // up or down points a slot at the next or the previous track; and 0xA0
    // as the first byte turns 688 into 672.
    for (int slot : {0, 10, 31, 32, 33, 40, 47, 48, 79}) {
        size_t second = 0x20 + 4 * size_t(slot) + 1;
        for (int step : {0x11, -0x11})
            variants.push_back(
                d88_byte(d, second, static_cast<unsigned char>(d.bytes[second] + step)));
    }
    variants.push_back(d88_byte(d, 0x20, 0xA0));
    for (int i = 0; i < 8 * scale; i++)
        positions.push_back(0x20 + 4 * (80 + below(rng, 84)) + below(rng, 4));
    for (int slot : {0, 1, 80, 159, 163})
        for (size_t byte = 0; byte < 4; byte++)
            positions.push_back(blank.base + 0x20 + 4 * size_t(slot) + byte);

    // Sector headers of a plain track, the first and the last talk track,
    // a talk track at random and the last track; of the second disk the
    // first track and one at random.
    int random_talk_slot = d.talk_slots[1 + below(rng, 14)];
    int blank_slots = 0;  // the second disk's tracks fill slots 0 on
    for (const d88_sector_site& s : blank.sectors)
        blank_slots = std::max(blank_slots, s.slot + 1);
    const struct {
        const d88_layout& disk;
        int slot;
    } tracks[] = {{d, 0},
                  {d, d.talk_slots[0]},
                  {d, random_talk_slot},
                  {d, d.talk_slots[15]},
                  {d, 79},
                  {blank, 0},
                  {blank, int(below(rng, size_t(blank_slots)))}};
    for (const auto& t : tracks) {
        std::vector<const d88_sector_site*> track;
        for (const d88_sector_site& s : t.disk.sectors)
            if (s.slot == t.slot)
                track.push_back(&s);
        for (size_t index : {size_t(0), size_t(1), below(rng, track.size()), track.size() - 1})
            for (int k = 0; k < 2 * scale; k++)
                positions.push_back(track[index]->header + below(rng, 16));
        for (size_t field : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(4), size_t(5)})
            positions.push_back(track[0]->header + field);
    }
    // Data of sectors that hold no talk record.
    for (const d88_layout& disk : disks)
        for (int i = 0; i < 6 * scale; i++) {
            const d88_sector_site& s = disk.sectors[below(rng, disk.sectors.size())];
            if (s.town < 0)
                positions.push_back(s.header + 16 + below(rng, s.data_size));
        }
    add_random_positions(positions, rng, d.disk_size, 12 * scale);
    for (int i = 0; i < 6 * scale; i++)
        positions.push_back(blank.base + below(rng, blank.disk_size));

    for (size_t pos : positions) {
        const d88_layout& disk = d88_disk_at(disks, pos);
        variants.push_back(d88_byte(disk, pos, d88_value(rng, disk, pos)));
    }
    add_record_variants(variants, rng, 14 * scale, 5,
                        [&](int town, int person) { return d88_record(d, town, person); });
    return variants;
}

std::vector<sweep_variant> xdf_cut_variants(int scale)
{
    rng_type rng(xdf_sweep_seed);
    xdf_layout x = map_xdf(sample_bytes(xdf_file));
    const fat12_test_geometry& dd9 = fat12_geometry(fat12_test_layout::dd9);
    const fat12_test_geometry& dd8 = fat12_geometry(fat12_test_layout::dd8);
    size_t size = x.bytes.size();
    size_t first = xdf_file_position(x, 0);
    size_t last = xdf_file_position(x, x.file_size - 1);
    std::vector<size_t> lengths = {0,
                                   1,
                                   x.fat1 - 1,
                                   x.fat1,
                                   x.fat1 + 1,
                                   x.fat1 + 3 * 64,
                                   x.fat2 - 1,
                                   x.fat2,
                                   x.root - 1,
                                   x.root,
                                   x.root + 32 * x.entry_slot + 28,
                                   x.root + 32 * x.entry_slot + 32,
                                   x.data - 1,
                                   x.data,
                                   first,
                                   first + 512,
                                   xdf_file_position(x, 64 * 1024),
                                   last,
                                   last + 1,
                                   dd8.image_size - 1,
                                   dd8.image_size,
                                   dd8.image_size + 1,
                                   dd9.image_size - 1,
                                   dd9.image_size,
                                   dd9.image_size + 1,
                                   size - 1};
    add_random_positions(lengths, rng, size, 8 * scale);
    std::vector<sweep_variant> variants;
    for (size_t length : lengths)
        variants.push_back(xdf_cut(length));
    sweep_variant longer;
    longer.file = xdf_file;
    longer.edit = sweep_edit::append;
    longer.count = 1;
    longer.where = "one byte more than the layout";
    variants.push_back(failing(longer, read_failure_line(sweep_tool::talkxdf),
                               "unsupported image '" + std::string(xdf_file) + "'"));
    return variants;
}

std::vector<sweep_variant> xdf_byte_variants(int scale)
{
    rng_type rng(xdf_sweep_seed + 1);
    xdf_layout x = map_xdf(sample_bytes(xdf_file));
    size_t entry = x.root + 32 * x.entry_slot;
    std::vector<size_t> positions;
    for (int i = 0; i < 6; i++)
        positions.push_back(below(rng, x.fat1));
    for (int i = 0; i < 6 * scale; i++) {
        int cluster = x.chain[below(rng, x.chain.size())];
        positions.push_back(x.fat1 + size_t(cluster) * 3 / 2 + below(rng, 2));
    }
    for (int i = 0; i < 6 * scale; i++)
        positions.push_back(x.fat1 + below(rng, x.fat2 - x.fat1));
    for (int i = 0; i < 4; i++)
        positions.push_back(x.fat2 + below(rng, x.root - x.fat2));
    for (size_t j = 0; j < 32; j++)
        positions.push_back(entry + j);
    for (size_t j : std::vector<size_t>{0, 5, 10, 26, 27, 28, 29, 30, 31})
        positions.push_back(entry + j);
    for (int i = 0; i < 6 * scale; i++)
        positions.push_back(x.root + below(rng, x.data - x.root));
    for (int i = 0; i < 6 * scale; i++) {
        size_t behind = xdf_file_position(x, x.file_size - 1) + 1;
        positions.push_back(behind + below(rng, x.bytes.size() - behind));
    }
    add_random_positions(positions, rng, x.bytes.size(), 10 * scale);

    std::vector<sweep_variant> variants;
    for (size_t pos : positions)
        variants.push_back(xdf_byte(x, pos, xdf_value(rng, x, pos)));
    add_record_variants(variants, rng, 16 * scale, 5,
                        [&](int town, int person) { return xdf_record(x, town, person); });
    return variants;
}
