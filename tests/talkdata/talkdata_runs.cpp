#include "talkdata_runs.h"

#include <gtest/gtest.h>

#include "d88_builder.h"
#include "talk_records.h"
#include "test_files.h"

const std::string tsv_header = "town\ttown_label\tperson\tfield\ttext\n";

bool make_samples_in(const std::string& folder)
{
    return run_process(MAKE_SAMPLES_PATH, {folder}, folder).exit_code == 0;
}

const std::string& sample_folder()
{
    static temp_dir folder;
    static bool made = make_samples_in(folder.path());
    EXPECT_TRUE(made);
    return folder.path();
}

process_result talkdata(const std::vector<std::string>& args, const std::string& cwd)
{
    return run_process(TALKDATA_PATH, args, cwd.empty() ? sample_folder() : cwd);
}

std::string tsv_row(int town, int person, const std::string& field, const std::string& text)
{
    return std::to_string(town) + "\t" + talk_town_label(town) + "\t" + std::to_string(person) +
           "\t" + field + "\t" + text + "\n";
}

std::string talkdata_lines(const std::string& lines)
{
    std::string out;
    for (size_t at = 0; at < lines.size();) {
        size_t end = lines.find('\n', at);
        end = end == std::string::npos ? lines.size() : end + 1;
        out += "talkdata: " + lines.substr(at, end - at);
        at = end;
    }
    return text_output(out);
}

byte_vector d88_file_with_gaps(const byte_vector& talk)
{
    d88_disk_builder first;
    first.header_size = 672;
    first.add_track(0, make_d88_track(0, 0, 1, 1, 1, 0x11));
    d88_disk_builder towne;
    towne.append(byte_vector(32, 0xEE));
    for (int town = 16 - 1; town >= 0; town--) {
        d88_track_image track;
        for (int person = 0; person < 16; person++) {
            d88_sector_image sector;
            sector.cylinder = static_cast<uint8_t>(talk_track_cylinder(town));
            sector.head = static_cast<uint8_t>(talk_track_head(town));
            sector.record = static_cast<uint8_t>(person + 1);
            sector.sectors_in_track = 16;
            auto start = talk.begin() + (town * 16 + person) * 256;
            sector.data.assign(start, start + 256);
            track.push_back(sector);
        }
        towne.add_track(talk_track_slot(town), track);
        towne.append(byte_vector(5, 0xEE));
    }
    return d88_file({first.bytes(), towne.bytes(), first.bytes()});
}
