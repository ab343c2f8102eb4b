#pragma once

// Marks a text the user reads, in a layer without Qt, for translation where it is defined. The
// window and the console look it up by its source text in `context` (lanvex::i18n::Translate).
#define LANVEX_TR_NOOP(context, text) text
