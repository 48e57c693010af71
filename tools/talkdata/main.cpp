// talkdata: the talk data of every edition as UTF-8 text, JSON, PO and TSV, the
// character tables, the disks of a D88 image, and two editions side by side.
#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdio>
#include <string>

#include "character_table.h"
#include "compare_inputs.h"
#include "disk_list.h"
#include "exported_records.h"
#include "format_table.h"
#include "import_command.h"
#include "storage_messages.h"
#include "storage_write.h"
#include "talk_input.h"
#include "view_page.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <csignal>
#endif

namespace {

enum { exit_success = 0, exit_failure = 1, exit_usage = 2 };

// Every message line of talkdata and of the libraries it uses goes to
// standard error under the program's name, after what standard output
// holds so far.
void print_talkdata_line(void*, const char* line)
{
    fflush(stdout);
    fprintf(stderr, "talkdata: %s", line);
}

// The names --edition takes, as the table of editions holds them.
std::vector<std::string> edition_names()
{
    std::vector<std::string> names;
    for (const edition_entry* edition : talk_editions)
        names.push_back(edition->name);
    return names;
}

// "A, B or C" (conjunction "or")
std::string joined(const std::vector<std::string>& words, const std::string& conjunction = "or");

// The inputs of the editions: "a folder of DOS town files, ... or an XDF image"
std::string edition_inputs()
{
    std::vector<std::string> inputs;
    for (const edition_entry* edition : talk_editions)
        inputs.push_back(edition->input);
    return joined(inputs);
}

// "A, B or C" (conjunction "or")
std::string joined(const std::vector<std::string>& words, const std::string& conjunction)
{
    std::string text;
    for (size_t i = 0; i < words.size(); i++)
        text += (i == 0 ? "" : i + 1 < words.size() ? ", " : " " + conjunction + " ") + words[i];
    return text;
}

// --format's help: "text (the listing's layout), json (...) or tsv (...)"
std::string format_help()
{
    std::vector<std::string> choices;
    for (const std::string& name : format_names(true))
        choices.push_back(name + " (" + find_format(name)->help + ")");
    return joined(choices);
}

// The formats the import reads, in capitals: "JSON, PO or TSV".
std::string edits_formats()
{
    std::vector<std::string> names = format_names(false);
    for (std::string& name : names)
        for (char& c : name)
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return joined(names);
}

// The formats that show a --reference input: "po".
std::string reference_formats()
{
    std::vector<std::string> names;
    for (const std::string& name : format_names(true))
        if (find_format(name)->shows_reference)
            names.push_back(name);
    return joined(names);
}

struct input_options {
    std::string path;
    std::string edition;  // empty: told from the input
    int32_t index = 0;
    CLI::Option* index_option = nullptr;
    std::string index_given;  // the option of the index as the user spelled it, or empty
};

// --edition and -i|--index on a subcommand (with a suffix for compare's two
// inputs).
void add_input_options(CLI::App* command, input_options* options, const std::string& suffix,
                       const std::string& which)
{
    command
        ->add_option("--edition" + suffix, options->edition,
                     "read " + which + " as this edition instead of telling it from the input")
        ->check(CLI::IsMember(edition_names()));
    std::string names = suffix.empty() ? "-i,--index" : "--index" + suffix;
    options->index_option =
        command
            ->add_option(names, options->index,
                         "the disk of a D88 image " + which + ", from 0 (D88 images only)")
            ->check(CLI::Range(0, INT32_MAX));
}

// The spelling of the index option that the user gave last: "-i" or
// "--index" (the library keeps no note of it). Options follow the
// subcommand; after "--" come only operands.
std::string index_spelling(int argc, char** argv, const CLI::Option* option)
{
    std::string spelling;
    for (int i = 1; i < argc; i++) {
        const std::string argument = argv[i];
        if (argument == "--")
            break;
        for (const std::string& name : option->get_lnames())
            if (argument == "--" + name || argument.rfind("--" + name + "=", 0) == 0)
                spelling = "--" + name;
        for (const std::string& name : option->get_snames())
            if (argument.rfind("-" + name, 0) == 0)
                spelling = "-" + name;
    }
    return spelling;
}

// Notes the spelling of the index option where it was given.
void note_index_given(int argc, char** argv, input_options* options)
{
    if (options->index_option->count() > 0)
        options->index_given = index_spelling(argc, argv, options->index_option);
}

int load(const input_options& options, talk_input* input)
{
    const edition_entry* edition =
        options.edition.empty() ? nullptr : find_edition(options.edition);
    return load_talk_input(
        options.path, edition, options.index,
        options.index_option->count() > 0 ? options.index_given.c_str() : nullptr, input);
}

// The path without trailing separators ("out/" names the folder out).
std::string without_trailing_separators(std::string path)
{
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    return path;
}

// Standard output took everything: else the error line, and false.
bool output_written(const char* what)
{
    if (fflush(stdout) == 0 && !ferror(stdout))
        return true;
    report_error("standard output", std::string("cannot write ") + what);
    return false;
}

int run_export(const input_options& options, const std::string& format, bool join_marks,
               const input_options& reference_options)
{
    talk_input input, reference_input;
    if (load(options, &input) < 0)
        return exit_failure;
    // The other input's texts, shown beside each field for reading: whole,
    // with kana and voicing marks joined.
    export_reference reference = {&reference_input, {}};
    if (!reference_options.path.empty() &&
        (load(reference_options, &reference_input) < 0 ||
         export_records(reference_input, form_joined, &reference.records) < 0))
        return exit_failure;
    std::vector<exported_record> records;
    int result = export_records(input, join_marks ? form_joined : form_exact, &records);
    find_format(format)->write(input, records,
                               reference_options.path.empty() ? nullptr : &reference, stdout);
    if (!output_written("the export"))
        return exit_failure;
    return result == 0 ? exit_success : exit_failure;
}

int run_compare(const input_options& a, const input_options& b)
{
    const int exit_trouble = 2;  // as diff's
    talk_input input_a, input_b;
    if (load(a, &input_a) < 0 || load(b, &input_b) < 0)
        return exit_trouble;
    std::vector<exported_record> records_a, records_b;
    if (export_records(input_a, form_shown, &records_a) < 0 ||
        export_records(input_b, form_shown, &records_b) < 0)
        return exit_trouble;
    int differing = compare_records(records_a, records_b, stdout);
    if (!output_written("the comparison"))
        return exit_trouble;
    return differing == 0 ? exit_success : exit_failure;
}

int run_import(const input_options& options, import_options import)
{
    talk_input input;
    std::string edits_text;
    import.output = without_trailing_separators(import.output);
    if (import.dry_run && check_output_path(import.output) < 0)
        return exit_failure;
    if (read_text_file(import.edits_path, &edits_text) < 0)
        return exit_failure;
    // The target is held from before it is read until its new files are in
    // place, so that no other import writes it meanwhile; taking it first
    // finishes an import into it that was interrupted, before the path is
    // checked. A dry run meets the same refusals and changes nothing. An
    // input that is not there, or is no file or folder, is left to the
    // load to report.
    bool held = !import.output.empty() ||
                (path_exists(options.path) && special_file_kind(options.path).empty());
    if (held && import.dry_run && check_import_target(options.path, import.output) < 0)
        return exit_failure;
    if (held && !import.dry_run) {
        import.journal = claim_import_target(options.path, import.output);
        if (import.journal == nullptr)
            return exit_failure;
    }
    int result = -1;
    if ((import.dry_run || check_output_path(import.output) == 0) && load(options, &input) == 0)
        result = import_edits(&input, edits_text, import);
    close_replacement_journal(import.journal);
    if (!output_written("the report"))
        return exit_failure;
    return result == 0 ? exit_success : exit_failure;
}

int run_view(const std::vector<std::string>& paths, int32_t index, bool index_given,
             const std::string& edits_path)
{
    std::vector<talk_input> inputs(paths.size());
    std::vector<const talk_input*> loaded;
    bool any_disks = false;
    for (size_t i = 0; i < paths.size(); i++) {
        // -i picks the disk of every D88 input; the others have none to pick.
        if (load_talk_input(paths[i], nullptr, index, nullptr, &inputs[i]) < 0 ||
            check_talk_records(inputs[i]) < 0)
            return exit_failure;
        any_disks = any_disks || inputs[i].edition->has_disks;
        loaded.push_back(&inputs[i]);
    }
    if (index_given && !any_disks) {
        report_error(paths[0], "-i picks the disk of a D88 image, and no input is one");
        return exit_failure;
    }
    edits_file edits;
    if (!edits_path.empty()) {
        std::string text;
        if (read_text_file(edits_path, &text) < 0)
            return exit_failure;
        // A file that cannot be read as edits makes no page; what the
        // edits would do to the records the page shows.
        problem_list problems;
        read_edits(text, inputs[0], &edits, &problems);
        if (!problems.empty()) {
            for (const std::string& problem : problems.kept())
                report_error(edits_subject(edits_path), problem);
            report_error(edits_subject(edits_path), "no page written");
            return exit_failure;
        }
    }
    const std::string page =
        view_page_html(loaded, edits_path.empty() ? nullptr : &edits, edits_subject(edits_path));
    fwrite(page.data(), 1, page.size(), stdout);
    return output_written("the page") ? exit_success : exit_failure;
}

int run_table(const std::string& edition)
{
    const std::string text = character_table_text(find_edition(edition));
    fwrite(text.data(), 1, text.size(), stdout);
    return output_written("the table") ? exit_success : exit_failure;
}

int run_disks(const std::string& path)
{
    int result = list_d88_disks(path, stdout);
    if (!output_written("the list of disks"))
        return exit_failure;
    return result == 0 ? exit_success : exit_failure;
}

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // UTF-8 bytes as they are, with "\n" line ends, as on Linux.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
#else
    // A write over the file-size limit then fails with EFBIG, which is
    // reported and undone, instead of ending the process mid-write.
    signal(SIGXFSZ, SIG_IGN);
#endif
    set_message_sink(print_talkdata_line, nullptr);
    CLI::App app("The talk data of every edition in UTF-8 (exports: " +
                     joined(format_names(true), "and") + "), and edited texts written back.",
                 "talkdata");
    app.set_version_flag("--version", "talkdata " TALKDATA_VERSION);
    app.require_subcommand(1);
    app.fallthrough(false);
    app.failure_message([](const CLI::App*, const CLI::Error& error) {
        return "talkdata: " + std::string(error.what()) +
               "\nRun 'talkdata --help' for more information.\n";
    });

    input_options export_input;
    std::string format = "text";
    bool join_marks = false;
    CLI::App* export_command =
        app.add_subcommand("export", "write the talk data of INPUT in UTF-8 on standard output");
    export_command->add_option("INPUT", export_input.path, edition_inputs())->required();
    export_command->add_option("--format", format, format_help())
        ->check(CLI::IsMember(format_names(true)));
    export_command->add_flag("--join-marks", join_marks,
                             "join kana and voicing marks into one character, for reading and "
                             "comparing (not lossless: such an export does not import back "
                             "byte for byte)");
    add_input_options(export_command, &export_input, "", "INPUT");
    input_options reference_input;
    CLI::Option* reference_option = export_command->add_option(
        "--reference", reference_input.path,
        "show the texts of another input of any edition beside each entry (--format po)");
    export_command
        ->add_option("--reference-edition", reference_input.edition,
                     "read the --reference input as this edition instead of telling it from the "
                     "input")
        ->check(CLI::IsMember(edition_names()))
        ->needs(reference_option);
    reference_input.index_option =
        export_command
            ->add_option("--reference-index", reference_input.index,
                         "the disk of a D88 image given as --reference, from 0 (D88 images only)")
            ->check(CLI::Range(0, INT32_MAX))
            ->needs(reference_option);

    std::string disks_path;
    CLI::App* disks_command =
        app.add_subcommand("disks", "list the disks of a D88 image, one line each");
    disks_command->add_option("IMAGE", disks_path, "a D88 image")->required();

    std::string table_edition;
    CLI::App* table_command = app.add_subcommand(
        "table", "write the character table of an edition for hex editors and script dumpers");
    table_command->add_option("--edition", table_edition, "the edition")
        ->required()
        ->check(CLI::IsMember(edition_names()));

    std::vector<std::string> view_paths;
    int32_t view_index = 0;
    std::string view_edits;
    CLI::App* view_command = app.add_subcommand(
        "view",
        "write one to four inputs of any editions side by side as one HTML page on "
        "standard output");
    view_command->add_option("INPUT", view_paths, "the inputs (" + edition_inputs() + ")")
        ->required()
        ->expected(1, 4);
    CLI::Option* view_index_option =
        view_command
            ->add_option("-i,--index", view_index, "the disk of the D88 images among the inputs")
            ->check(CLI::Range(0, INT32_MAX));
    view_command->add_option(
        "--edits", view_edits,
        "show the edited texts of this file (" + edits_formats() +
            " as export writes them) in the first input's column, and what the import would "
            "refuse");

    input_options compare_a, compare_b;
    CLI::App* compare_command = app.add_subcommand(
        "compare",
        "list the fields that differ between two inputs of any editions (exit code 0: "
        "none, 1: some, 2: trouble)");
    compare_command->add_option("A", compare_a.path, "the first input")->required();
    compare_command->add_option("B", compare_b.path, "the second input")->required();
    add_input_options(compare_command, &compare_a, "-a", "A");
    add_input_options(compare_command, &compare_b, "-b", "B");

    input_options import_input;
    import_options import;
    CLI::App* import_command = app.add_subcommand(
        "import", "write the texts of EDITS (" + edits_formats() +
                      " as export writes them) into INPUT's storage; every edit is checked "
                      "first, and nothing is written when one fails");
    import_command->add_option("EDITS", import.edits_path, "the edited export (-: standard input)")
        ->required();
    import_command->add_option("INPUT", import_input.path, "the storage the export came from")
        ->required();
    CLI::Option* output = import_command->add_option(
        "--output", import.output,
        "write a new file (for DOS a new folder of sixteen town files) at this path, which must "
        "not exist, and leave INPUT alone");
    CLI::Option* in_place =
        import_command->add_flag("--in-place", import.in_place, "replace INPUT's files");
    output->excludes(in_place);
    import_command->add_flag("--dry-run", import.dry_run,
                             "write nothing; print what would change and the bytes left free");
    add_input_options(import_command, &import_input, "", "INPUT");

    try {
        app.parse(argc, argv);
        if (*import_command && import.output.empty() && !import.in_place)
            throw CLI::RequiredError("--output or --in-place");
        if (*export_command && join_marks && find_format(format)->matches_texts)
            throw CLI::ValidationError("--join-marks",
                                       "would make an export that no import "
                                       "takes back: --format " +
                                           format + " is read by its texts");
        if (*export_command && !reference_input.path.empty() &&
            !find_format(format)->shows_reference)
            throw CLI::ValidationError("--reference",
                                       "is for the formats that show it: " + reference_formats());
    } catch (const CLI::ParseError& error) {
        int code = app.exit(error);
        return code == 0 ? exit_success : exit_usage;
    }
    for (input_options* options :
         {&export_input, &reference_input, &import_input, &compare_a, &compare_b})
        note_index_given(argc, argv, options);

    if (*export_command)
        return run_export(export_input, format, join_marks, reference_input);
    if (*disks_command)
        return run_disks(disks_path);
    if (*table_command)
        return run_table(table_edition);
    if (*view_command)
        return run_view(view_paths, view_index, view_index_option->count() > 0, view_edits);
    if (*import_command)
        return run_import(import_input, import);
    return run_compare(compare_a, compare_b);
}
