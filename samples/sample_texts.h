// The invented conversations of the sample data: texts of our own for all
// 256 persons, varied by town and person.
#pragma once

#include "talk_records.h"

// The question flag of a person: every valid value occurs.
unsigned char sample_question_flag(int town, int person);

// Mixed-case English texts with a line break in the job (DOS edition).
talk_slot_texts sample_english_texts(int town, int person);

// The same texts in capitals with the Apple II line break 0x8D; every 37th
// person in listing order answers no with another text.
talk_slot_texts sample_apple2_texts(int town, int person);
