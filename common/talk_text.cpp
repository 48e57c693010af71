#include "talk_text.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool is_sjis_lead(unsigned char code)
{
    return (code >= 0x81 && code <= 0x9F) || (code >= 0xE0 && code <= 0xFC);
}

bool is_sjis_trail(unsigned char code)
{
    return (code >= 0x40 && code <= 0x7E) || (code >= 0x80 && code <= 0xFC);
}

talk_byte_kind kind_of(const talk_profile* profile, unsigned code)
{
    unsigned char byte = static_cast<unsigned char>(code);
    if (code == 0)
        return talk_byte_end;
    switch (profile->char_rule) {
    case char_rule_ascii:
    case char_rule_apple2:
        if (!check_talk_char(profile->char_rule, byte))
            return talk_byte_invalid;
        break;
    case char_rule_table:
        if (profile->char_table[code][0] == '\0')
            return talk_byte_invalid;
        break;
    case char_rule_sjis:
        if (code >= talk_sjis_table_size)
            return is_sjis_lead(byte) ? talk_byte_lead : talk_byte_invalid;
        if (profile->char_table[code][0] == '\0')
            return talk_byte_invalid;
        break;
    }
    return byte == profile->line_break ? talk_byte_break : talk_byte_plain;
}

// Stores the whole entry; the cursor moves by its length. The entry is
// taken as one value first: a store through out could change the table as
// far as the compiler knows, which would make it load the length anew.
unsigned char* put_glyph(unsigned char* out, const talk_glyph& glyph)
{
    uint32_t entry;
    memcpy(&entry, &glyph, sizeof entry);
    memcpy(out, &entry, sizeof entry);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    return out + (entry >> 24);  // the length, the entry's last byte
#else
    return out + glyph.length;
#endif
}

// A line break ends the line; the next line is indented by two tabs. A
// text that ends with the break keeps no indent.
const talk_glyph line_break_glyph = {{'\n', '\t', '\t'}, 3};
const unsigned line_break_indent = 2;

// The runs of the bytes that a text holds before its NUL (plain and break),
// where the whole-area check can take them.
void prepare_text_runs(talk_text_rule* rule)
{
    rule->run_count = 0;
    const talk_profile* profile = rule->profile;
    // The area is read in whole blocks: it must hold one.
    if (profile->char_rule == char_rule_sjis ||
        profile->text_end - profile->text_offset < talk_block_size)
        return;
#if defined(__SSE2__)
    unsigned runs = 0;
    for (unsigned first = 1; first < 256; first++) {
        if (rule->kind[first] < talk_byte_plain)
            continue;
        unsigned last = first;
        while (last + 1 < 256 && rule->kind[last + 1] >= talk_byte_plain)
            last++;
        if (runs == talk_run_limit)
            return;
        memset(rule->run_first[runs], static_cast<int>(first), talk_block_size);
        memset(rule->run_span[runs], static_cast<int>(last - first), talk_block_size);
        runs++;
        first = last;
    }
    rule->run_count = runs;
#endif
}

#if defined(__SSE2__)
// The NULs of the stored texts of a record, block by block, with the runs
// as a fixed number of tests (one build of the loop for each number).
// nuls[k] is relative to the start of the area. 0, or -1.
template <unsigned runs, bool breaks_told>
int split_area(const talk_text_rule* rule, const unsigned char* area, unsigned length,
               unsigned fields, unsigned* nuls, unsigned* unbroken)
{
    __m128i first[runs];
    __m128i span[runs];
    for (unsigned r = 0; r < runs; r++) {
        first[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rule->run_first[r]));
        span[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rule->run_span[r]));
    }
    const __m128i zero = _mm_setzero_si128();
    const __m128i line_break = _mm_set1_epi8(static_cast<char>(rule->profile->line_break));
    unsigned found = 0;
    bool broken = false;  // the text under way holds a line break
    *unbroken = 0;
    for (unsigned block = 0; block < length; block += talk_block_size) {
        // The last block ends with the area; the bytes before block in it
        // were seen in the block before.
        const unsigned at = block + talk_block_size <= length ? block : length - talk_block_size;
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(area + at));
        __m128i known = _mm_cmpeq_epi8(bytes, zero);
        unsigned nul = static_cast<unsigned>(_mm_movemask_epi8(known));
        for (unsigned r = 0; r < runs; r++) {
            // byte - first <= span, unsigned: the byte lies in the run.
            const __m128i offset = _mm_sub_epi8(bytes, first[r]);
            known = _mm_or_si128(known, _mm_cmpeq_epi8(_mm_min_epu8(offset, span[r]), offset));
        }
        unsigned bad = ~static_cast<unsigned>(_mm_movemask_epi8(known)) & 0xFFFF;
        unsigned breaks = 0;
        if constexpr (breaks_told)
            breaks = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, line_break)));
        const unsigned seen = ~0u << (block - at);
        nul &= seen;
        bad &= seen;
        breaks &= seen;
        // Each NUL ends the text under way, which must hold no bad byte.
        while (nul != 0) {
            const unsigned n = static_cast<unsigned>(__builtin_ctz(nul));
            const unsigned before = (1u << n) - 1;
            if ((bad & before) != 0)
                return -1;
            if constexpr (breaks_told)
                if (!broken && (breaks & before) == 0)
                    *unbroken |= 1u << found;
            nuls[found++] = at + n;
            if (found == fields)
                return 0;
            nul &= ~(before | (1u << n));
            bad &= ~(before | (1u << n));
            if constexpr (breaks_told) {
                breaks &= ~(before | (1u << n));
                broken = false;
            }
        }
        if (bad != 0)
            return -1;
        if constexpr (breaks_told)
            broken = broken || breaks != 0;
    }
    return -1;  // a text without its NUL
}
#endif

}  // namespace

bool check_talk_char(talk_char_rule rule, unsigned char code)
{
    switch (rule) {
    case char_rule_ascii:
        return code == 0x0A || (code >= 0x20 && code <= 0x7E);
    case char_rule_apple2:
        return (code >= 0x20 && code <= 0x60) || (code >= 0x7B && code <= 0x7E) || code == 0x8D;
    case char_rule_table:
    case char_rule_sjis:
        break;
    }
    return false;
}

void prepare_talk_text_rule(const talk_profile* profile, talk_text_rule* rule)
{
    rule->profile = profile;
    for (unsigned slot = 0; slot < talk_slot_count; slot++) {
        size_t length = strlen(profile->labels[slot]);
        memset(rule->label[slot], 0, talk_label_room);
        memcpy(rule->label[slot], profile->labels[slot], length);
        rule->label_length[slot] = static_cast<unsigned char>(length);
    }
    for (unsigned code = 0; code < 256; code++) {
        rule->kind[code] = kind_of(profile, code);
        rule->trail[code] = is_sjis_trail(static_cast<unsigned char>(code));
        talk_glyph& glyph = rule->glyph[code];
        glyph = talk_glyph{{0, 0, 0}, 0};
        bool table_code = profile->char_rule == char_rule_table ||
                          (profile->char_rule == char_rule_sjis && code < talk_sjis_table_size);
        // Under a table rule a plain byte prints its entry, the line break
        // its own glyph, any other byte nothing.
        if (rule->kind[code] == talk_byte_break) {
            glyph = line_break_glyph;
        } else if (table_code && rule->kind[code] == talk_byte_plain) {
            const char* entry = profile->char_table[code];
            for (unsigned i = 0; i < talk_glyph_size && entry[i] != '\0'; i++) {
                glyph.bytes[i] = static_cast<unsigned char>(entry[i]);
                glyph.length = static_cast<unsigned char>(i + 1);
            }
        }
    }
    prepare_text_runs(rule);
}

int scan_talk_text(const talk_text_rule* rule, const unsigned char* record, unsigned pos,
                   unsigned* stop)
{
    const unsigned end = rule->profile->text_end;
    const unsigned char* kind = rule->kind;
    unsigned failed = end;  // where the scan stops when it fails: end, for no NUL
    if (rule->profile->char_rule != char_rule_sjis) {
        // No pairs: every byte up to the NUL is a character of its own.
        // Four bytes a step, with one test of the end.
        while (pos + 4 <= end) {
            if (kind[record[pos]] < talk_byte_plain)
                break;
            if (kind[record[pos + 1]] < talk_byte_plain) {
                pos += 1;
                break;
            }
            if (kind[record[pos + 2]] < talk_byte_plain) {
                pos += 2;
                break;
            }
            if (kind[record[pos + 3]] < talk_byte_plain) {
                pos += 3;
                break;
            }
            pos += 4;
        }
        while (pos < end && kind[record[pos]] >= talk_byte_plain)
            pos++;
        if (pos < end && kind[record[pos]] == talk_byte_end)
            return static_cast<int>(pos) + 1;
        failed = pos;
    } else if (pos < end) {
        // Below the last byte, a pair's trail byte lies before end; the
        // last byte can only be the NUL, as a character there would leave
        // none.
        const unsigned last = end - 1;
        while (pos < last) {
            unsigned char byte_kind = kind[record[pos]];
            if (byte_kind >= talk_byte_plain) {  // one character
                pos += 1;
            } else if (byte_kind == talk_byte_lead && rule->trail[record[pos + 1]]) {
                pos += 2;  // a Shift-JIS pair
            } else if (byte_kind == talk_byte_end) {
                return static_cast<int>(pos) + 1;
            } else {
                break;  // an invalid byte, or a lead byte without its trail
            }
        }
        if (pos == last && kind[record[pos]] == talk_byte_end)
            return static_cast<int>(pos) + 1;
        // A character in the last byte leaves no room for the NUL.
        failed = pos < end && kind[record[pos]] < talk_byte_plain ? pos : end;
    }
    if (stop != nullptr)
        *stop = failed;
    return -1;
}

int split_talk_record(const talk_text_rule* rule, const unsigned char* record, unsigned* nuls,
                      unsigned* unbroken)
{
    const talk_profile* profile = rule->profile;
    const unsigned start = profile->text_offset;
    const unsigned length = profile->text_end - start;
    const unsigned fields = profile->stored_fields;
    int result = -1;
#if defined(__SSE2__)
    const unsigned char* area = record + start;
    // The line breaks are told for the rules whose texts print as their
    // bytes where they hold none.
    const bool byte_rule = talk_rule_prints_bytes(profile->char_rule);
    switch (rule->run_count * 2 + byte_rule) {
    case 2:
        result = split_area<1, false>(rule, area, length, fields, nuls, unbroken);
        break;
    case 3:
        result = split_area<1, true>(rule, area, length, fields, nuls, unbroken);
        break;
    case 4:
        result = split_area<2, false>(rule, area, length, fields, nuls, unbroken);
        break;
    case 5:
        result = split_area<2, true>(rule, area, length, fields, nuls, unbroken);
        break;
    case 6:
        result = split_area<3, false>(rule, area, length, fields, nuls, unbroken);
        break;
    case 7:
        result = split_area<3, true>(rule, area, length, fields, nuls, unbroken);
        break;
    case 8:
        result = split_area<4, false>(rule, area, length, fields, nuls, unbroken);
        break;
    case 9:
        result = split_area<4, true>(rule, area, length, fields, nuls, unbroken);
        break;
    default:
        break;
    }
#else
    (void)record;
    (void)length;
    (void)fields;
    (void)unbroken;
#endif
    if (result == 0)
        for (unsigned k = 0; k < fields; k++)
            nuls[k] += start;
    return result;
}

unsigned char* write_talk_text(talk_writer* writer, unsigned char* out, const talk_text_rule* rule,
                               const unsigned char* text, size_t length)
{
    // The most that length bytes print, and one byte more, as put_glyph
    // stores a whole four-byte entry where the last byte may have room for
    // three.
    out = talk_room_for(writer, out, talk_text_expansion * length + 1);
    return put_talk_text_bytes(out, rule, text, length);
}

unsigned char* put_talk_text_bytes(unsigned char* out, const talk_text_rule* rule,
                                   const unsigned char* text, size_t length)
{
    if (length == 0)
        return out;
    const unsigned char* p = text;
    const unsigned char* end = text + length;
    const unsigned char last = end[-1];
    bool ends_with_break = false;
    switch (rule->profile->char_rule) {
    case char_rule_ascii:
    case char_rule_apple2: {
        // The bytes between line breaks are copied whole.
        const unsigned char line_break = rule->profile->line_break;
        while (p < end) {
            const void* found = memchr(p, line_break, static_cast<size_t>(end - p));
            const unsigned char* run_end =
                found != nullptr ? static_cast<const unsigned char*>(found) : end;
            memcpy(out, p, static_cast<size_t>(run_end - p));
            out += run_end - p;
            if (run_end == end)
                break;
            p = run_end + 1;
            out = put_glyph(out, line_break_glyph);
        }
        ends_with_break = last == line_break;
        break;
    }
    case char_rule_table: {
        // Four bytes a step: each a table look-up and a store.
        const talk_glyph* glyphs = rule->glyph;
        while (end - p >= 4) {
            out = put_glyph(out, glyphs[p[0]]);
            out = put_glyph(out, glyphs[p[1]]);
            out = put_glyph(out, glyphs[p[2]]);
            out = put_glyph(out, glyphs[p[3]]);
            p += 4;
        }
        while (p < end)
            out = put_glyph(out, glyphs[*p++]);
        ends_with_break = rule->kind[last] == talk_byte_break;
        break;
    }
    case char_rule_sjis:
        // Below the last byte, a pair's trail byte lies before end.
        while (p < end - 1) {
            unsigned char code = *p;
            if (rule->kind[code] == talk_byte_lead) {  // the pair as it stands
                memcpy(out, p, 2);
                out += 2;
                p += 2;
            } else {
                out = put_glyph(out, rule->glyph[code]);
                p++;
            }
        }
        // A last lead byte (unchecked texts only) prints nothing.
        if (p < end && rule->kind[last] != talk_byte_lead) {
            out = put_glyph(out, rule->glyph[last]);
            ends_with_break = rule->kind[last] == talk_byte_break;
        }
        break;
    }
    if (ends_with_break)
        out -= line_break_indent;
    return out;
}
