#include "fat12_test_util.h"

#include "capture_stdout.h"

opened_image open_test_image(const temp_dir& dir, const byte_vector& bytes, int offset,
                             const std::string& name)
{
    opened_image opened{};
    opened.path = dir.file(name);
    write_file(opened.path, bytes);
    opened.out = capture_stdout(
        [&] { opened.result = read_fat12_image_file(&opened.image, opened.path.c_str(), offset); });
    return opened;
}

std::vector<int> fat12_fields(const fat12_image& i)
{
    return {i.offset,       i.file_size,         i.cluster_count,      i.cylinders,
            i.heads,        i.sectors_per_track, i.bytes_per_sector,   i.total_sectors,
            i.fat_start,    i.fat_sectors,       i.root_start,         i.root_entries,
            i.root_sectors, i.data_start,        i.sectors_per_cluster};
}

read_result read_test_file(const fat12_image& image, const std::string& name, size_t dest_size,
                           bool ignore_case)
{
    read_result read{0, "", byte_vector(dest_size, 0xAA)};
    read.out = capture_stdout([&] {
        read.result = read_fat12_file(&image, name.c_str(), read.dest.data(),
                                      static_cast<int>(dest_size), ignore_case);
    });
    return read;
}
