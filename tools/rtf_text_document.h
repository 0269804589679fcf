// Puts what RtfReader read into a QTextDocument: one block per paragraph
// with its alignment and indents, one fragment per run with its weight,
// slant, underline, size and colour, pictures as document images.
#pragma once

#include "tools/rtf_reader.h"

class QTextDocument;

namespace ov {

// Replaces the contents of document with rtf. Sizes in twips become pixels
// at 96 per inch; a picture Qt cannot decode is left out.
void fillTextDocument(const RtfDocument& rtf, QTextDocument& document);

} // namespace ov
