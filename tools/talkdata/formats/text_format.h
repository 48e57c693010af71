// The text format: the listing's own layout in UTF-8 (export only).
#pragma once

#include <cstdio>
#include <vector>

#include "exported_records.h"

void write_text_export(const talk_input& input, const std::vector<exported_record>& records,
                       const export_reference* reference, FILE* out);
