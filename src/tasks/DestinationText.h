// The notation that lets a destination hold any text, '|' included.
//
// The task list file writes a line break inside a field as '|' and reads
// every '|' back as a line break, so a destination cannot keep a '|' of its
// own as it is. Destinations written before they could hold line breaks
// never held one on purpose, which leaves sequences of braces and line
// breaks free to carry the rest. In the file:
//   "{|}"   is a literal '|'   (in the Dest cell: '{' CR LF '}')
//   "{||}"  is a literal '{'   (in the cell: '{' CR LF CR LF '}'), written only
//           where a '{' comes right before a '|' or a line break
//   "|"     is a line break, as it always was.
// Everything else means what it meant, so an older file reads as before.
//
// The Dest cell keeps the written form; everything that shows, edits or runs
// a destination decodes it, everything that stores one encodes it. Line
// breaks of a decoded text are CR LF.
#pragma once

#include <string>
#include <string_view>

namespace keyvane {

// The destination a Dest cell holds. A line break stays CR LF.
std::u16string DestinationFromCell(std::u16string_view cell);

// The Dest cell that holds the destination. Any lone CR or LF becomes CR LF,
// which is what the file keeps of it anyway.
std::u16string CellFromDestination(std::u16string_view text);

// The first line of a destination, for a one-line view (the grid).
std::u16string_view FirstLine(std::u16string_view text);

} // namespace keyvane
