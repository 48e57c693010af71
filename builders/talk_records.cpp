#include "talk_records.h"

#include <algorithm>
#include <stdexcept>

const talk_record_layout& talk_layout(talk_edition edition)
{
    static const talk_record_layout dos = {288, 0,   3,
                                           3,   288, {0, 1, 2, 3, 4, 6, 8, 9, 10, 11, 5, 7}};
    static const talk_record_layout apple2 = {256, 252, 4,
                                              1,   240, {0, 1, 2, 3, 4, 6, 8, 9, 10, 11}};
    static const talk_record_layout pc8801 = {256, 0,   4,
                                              4,   256, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
    static const talk_record_layout x68000 = {512, 0,   4,
                                              4,   512, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
    switch (edition) {
    case talk_edition::dos:
        return dos;
    case talk_edition::apple2:
        return apple2;
    case talk_edition::pc8801:
        return pc8801;
    case talk_edition::x68000:
        break;
    }
    return x68000;
}

namespace {

std::vector<std::string> stored_texts_of(talk_edition edition, const talk_slot_texts& texts)
{
    std::vector<std::string> stored;
    for (int slot : talk_layout(edition).stored_slots)
        stored.push_back(texts[static_cast<size_t>(slot)]);
    return stored;
}

void put_keyword_field(byte_vector& record, size_t offset, const std::string& keyword)
{
    if (keyword.size() > 6)
        throw std::invalid_argument("keyword longer than six bytes: " + keyword);
    std::fill(record.begin() + static_cast<long>(offset),
              record.begin() + static_cast<long>(offset + 6), 0x20);
    std::copy(keyword.begin(), keyword.end(), record.begin() + static_cast<long>(offset));
}

}  // namespace

byte_vector make_raw_talk_record(talk_edition edition, const byte_vector& header,
                                 const std::vector<std::string>& stored_texts, unsigned char fill)
{
    const talk_record_layout& layout = talk_layout(edition);
    byte_vector record(layout.record_size, fill);
    for (size_t i = 0; i < header.size() && layout.header_offset + i < record.size(); i++)
        record[layout.header_offset + i] = header[i];
    size_t pos = layout.text_offset;
    for (const std::string& text : stored_texts) {
        for (char c : text) {
            if (pos < record.size())
                record[pos] = static_cast<unsigned char>(c);
            pos++;
        }
        if (pos < record.size())
            record[pos] = 0;
        pos++;
    }
    return record;
}

size_t last_text_nul(talk_edition edition, const talk_slot_texts& texts)
{
    size_t pos = talk_layout(edition).text_offset;
    for (const std::string& text : stored_texts_of(edition, texts))
        pos += text.size() + 1;
    return pos - 1;
}

byte_vector make_talk_record(talk_edition edition, const byte_vector& header,
                             const talk_slot_texts& texts)
{
    const talk_record_layout& layout = talk_layout(edition);
    if (last_text_nul(edition, texts) >= layout.text_end)
        throw std::invalid_argument("texts do not fit the record");
    byte_vector record = make_raw_talk_record(edition, header, stored_texts_of(edition, texts));
    if (edition == talk_edition::apple2) {
        put_keyword_field(record, 240, texts[5]);
        put_keyword_field(record, 246, texts[7]);
    }
    return record;
}

byte_vector make_talk_buffer(talk_edition edition,
                             const std::function<byte_vector(int town, int person)>& record)
{
    size_t size = talk_layout(edition).record_size;
    byte_vector buffer;
    buffer.reserve(256 * size);
    for (int town = 0; town < 16; town++) {
        for (int person = 0; person < 16; person++) {
            byte_vector one = record(town, person);
            if (one.size() != size)
                throw std::invalid_argument("record of the wrong size");
            buffer.insert(buffer.end(), one.begin(), one.end());
        }
    }
    return buffer;
}

const char* talk_town_label(int town)
{
    static const char* const labels[16] = {
        "Castle of Lord Varnel",
        "The Lycaeum",
        "Empath Abbey",
        "Serpent's Hold",
        "Moonglow",
        "Britain",
        "Jhelom",
        "Yew",
        "Minoc",
        "Trinsic",
        "Skara Brae",
        "Magincia",
        "Paws",
        "Buccaneer's Den",
        "Vesper",
        "Cove",
    };
    return labels[town];
}

std::string talk_heading(int town, int person)
{
    return "[" + std::string(talk_town_label(town)) + "][" + std::to_string(person) + "]\n";
}

const char* const dos_town_file_names[16] = {
    "LCB.TLK",    "LYCAEUM.TLK", "EMPATH.TLK", "SERPENT.TLK", "MOONGLOW.TLK", "BRITAIN.TLK",
    "JHELOM.TLK", "YEW.TLK",     "MINOC.TLK",  "TRINSIC.TLK", "SKARA.TLK",    "MAGINCIA.TLK",
    "PAWS.TLK",   "DEN.TLK",     "VESPER.TLK", "COVE.TLK",
};

void write_town_files(const std::string& folder, const byte_vector& buffer)
{
    const size_t file_bytes = 4608;
    if (buffer.size() != 16 * file_bytes)
        throw std::invalid_argument("a DOS buffer holds 73,728 bytes");
    for (size_t town = 0; town < 16; town++) {
        auto first = buffer.begin() + static_cast<long>(town * file_bytes);
        write_file(folder + "/" + dos_town_file_names[town],
                   byte_vector(first, first + static_cast<long>(file_bytes)));
    }
}

byte_vector make_dsk_image(const byte_vector& buffer, size_t image_size)
{
    byte_vector image(std::max(image_size, buffer.size()), 0);
    std::copy(buffer.begin(), buffer.end(), image.begin());
    image.resize(image_size);
    return image;
}
