// The file's own bytes inside a finding's message: the rules mark them where
// they put them, and each report shows them its own way.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "profile/FileEncoding.h"

// A finding's message is plain text in which the file's own bytes (a value,
// a key as its line spells it) stand between markers, so that each report
// shows them its own way: the text report cut after kShownBytes with a
// visible mark, its characters in UTF-8 as the file's encoding reads them
// and control characters written visibly ("\t"), JSON exactly
// as the file holds them. A marker begins with
// LF, which no line's bytes hold.
constexpr size_t kShownBytes = 40;

// A value for a message, shown in double quotes.
std::string Quoted(std::string_view bytes);
// A name from the file for a message, shown as it is.
std::string FileText(std::string_view bytes);
// The message for people: the file's bytes cut after kShownBytes, in UTF-8
// as a file read with `encoding` holds them (ShownText.h).
std::string MessageForPeople(const std::string& message, file_encoding::Mark encoding);
// The message with the file's bytes whole, for JSON.
std::string MessageAsIs(const std::string& message);
// Each marked part of the message replaced by what `replace` gives for it
// (`quoted`: a value, else a name).
std::string MessageReplacing(
    const std::string& message,
    const std::function<std::string(std::string_view bytes, bool quoted)>& replace);
// A key or section name for the text report: cut after kShownBytes, with a
// mark, in UTF-8 as a file read with `encoding` holds it, control characters
// written visibly.
std::string ShownName(std::string_view name, file_encoding::Mark encoding);
