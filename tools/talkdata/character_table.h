// talkdata table: the character table of an edition as a table file that
// hex editors and script dumpers read (UTF-8, one HEX=text entry a line,
// the line-break code as a newline entry), every code that the edition's
// texts may hold mapped to the character its listing shows. Codes without
// a character are left out; where two codes show one character, the one
// that an import writes for it comes first.
#pragma once

#include <string>

#include "edition_table.h"

// The whole table file of an edition, with its header of comment lines.
std::string character_table_text(const edition_entry* edition);
