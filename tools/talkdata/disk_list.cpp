#include "disk_list.h"

#include <cstring>
#include <vector>

#include "d88_image.h"
#include "pc8801_storage.h"
#include "storage_messages.h"
#include "talk_input.h"

namespace {

// A column of printable ASCII: other bytes (and the brace) as {XX}, so that
// a column never holds a tab or a line break.
std::string escaped(const char* bytes, size_t length)
{
    std::string out;
    for (size_t i = 0; i < length; i++) {
        unsigned char byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x20 && byte < 0x7F && byte != '{') {
            out += static_cast<char>(byte);
        } else {
            char escape[8];
            snprintf(escape, sizeof escape, "{%02X}", byte);
            out += escape;
        }
    }
    return out;
}

// The disk name up to its NUL.
std::string disk_name(const uint8_t* header)
{
    size_t length = 0;
    while (length < d88_name_size && header[length] != 0)
        length++;
    return escaped(reinterpret_cast<const char*>(header), length);
}

std::string write_protection(uint8_t flag)
{
    switch (flag) {
    case d88_not_protected:
        return "no";
    case d88_protected:
        return "yes";
    default:
        return "?";
    }
}

std::string media_name(uint8_t media)
{
    switch (media) {
    case d88_media_2d:
        return "2D";
    case d88_media_2dd:
        return "2DD";
    case d88_media_2hd:
        return "2HD";
    default:
        return "?";
    }
}

// "yes" when every talk record sector is there, as the listing fetches it.
std::string holds_talk_data(d88_disk* disk)
{
    for (int town = 0; town < talk_town_count; town++) {
        for (int person = 0; person < talk_person_count; person++) {
            talk_location location;
            if (fetch_d88_talk_record(disk, town, person, &location) == nullptr)
                return "no";
        }
    }
    return "yes";
}

// The library's lines of one failure, joined into one column.
std::string joined_lines(const std::string& lines)
{
    std::string joined;
    for (const std::string& line : split_lines(lines))
        joined += (joined.empty() ? "" : "; ") + line;
    return joined;
}

}  // namespace

int list_d88_disks(const std::string& path, FILE* out)
{
    file_bytes file;
    if (read_input_file(path, "a D88 image", largest_input_file, false, &file) < 0)
        return -1;
    const uint8_t* bytes = file.data;
    size_t size = file.size;
    std::string text = "index\tname\tprotected\tmedia\tbytes\ttracks\tsectors\ttalk data\n";
    int result = 0;
    int32_t remainder = static_cast<int32_t>(size);
    const uint8_t* cursor = bytes;
    for (int index = 0; remainder > 0; index++) {
        if (remainder < d88_header_size && remainder != d88_short_header_size) {
            report_error(path, "warning: " + std::to_string(remainder) +
                                   " bytes after the last disk are too few for a disk; ignored");
            break;
        }
        int32_t disk_size = static_cast<int32_t>(d88::read_le32(cursor + d88_disk_size_offset));
        std::string columns = std::to_string(index) + '\t' + disk_name(cursor) + '\t' +
                              write_protection(cursor[d88_write_protect_offset]) + '\t' +
                              media_name(cursor[d88_media_type_offset]) + '\t' +
                              std::to_string(disk_size) + '\t';
        d88_disk disk;
        std::string lines;
        int read;
        {
            message_capture capture(&lines);
            read = read_d88_disk_from_buffer(&disk, cursor, remainder);
        }
        if (read == 0) {
            int tracks = 0, sectors = 0;
            for (const d88_track& track : disk.tracks) {
                tracks += track.sector_count > 0;
                sectors += track.sector_count;
            }
            text += columns + std::to_string(tracks) + '\t' + std::to_string(sectors) + '\t' +
                    holds_talk_data(&disk) + '\n';
        } else {
            std::string error = joined_lines(lines);
            text += columns + "-\t-\terror: " + escaped(error.data(), error.size()) + '\n';
            result = -1;
        }
        free_d88_disk(&disk, 0);
        // A size that the reader refuses tells nothing of where a next disk starts.
        if (disk_size < d88_short_header_size || disk_size > remainder) {
            if (read == 0)
                break;
            report_error(path, "disk " + std::to_string(index) +
                                   " has no valid size: the disks after it cannot be found");
            break;
        }
        cursor += disk_size;
        remainder -= disk_size;
    }
    fwrite(text.data(), 1, text.size(), out);
    if (result < 0)
        report_error(path,
                     "a disk is damaged: export and import read every disk of an image and "
                     "stop at it, whichever disk they are given");
    return result;
}
