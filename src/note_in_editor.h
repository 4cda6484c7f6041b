#pragma once

// The note taken in the user's editor, for people at a terminal: a draft
// named after the title, the editor run on it and asked about again, and
// typed lines where it cannot be used; and the draft kept or let go of.
#include <optional>
#include <string>
#include <string_view>

#include "dialogue.h"

// The one place that picks how the note is taken: in the user's editor, at
// a terminal, or else as typed lines (or a word).
// A note typed at a terminal is what a draft keeps from then on.
std::optional<std::string> take_note(Dialogue& d, std::string_view title);
// The note changed before it is saved: in the editor, on the draft holding
// it as it is, or as typed lines, an empty first line keeping it. Nothing
// when the input ended or the user gave the note up (declined).
std::optional<std::string> retake_note(Dialogue& d, std::string_view title,
                                       const std::string& note);
// The draft is no longer the program's: it is deleted, or, holding what the
// user wrote, left where it is (and said so by the caller).
void let_go_of_draft(Dialogue& d, bool remove);
// The draft goes once the note is on the card or the user gave it up; on
// any other end it stays, and the user is told where, unless it holds nothing.
void end_with_draft(Dialogue& d, bool saved);
