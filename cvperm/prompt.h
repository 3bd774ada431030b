// The question asked before the mode of a file is changed.
#pragma once

#include <string_view>

namespace cvperm {

enum class Answer {
    kYes,
    kNo,
    kAll,
    kQuit,
    // Accepted by the question but matching no key shown: possible only
    // with a catalog whose answers and keys differ; nothing is done then.
    kNone,
};

// Shows `path` and asks until an accepted answer is typed. The end of the
// input is "quit": nobody is left to answer.
Answer AskBeforeFile(std::u16string_view path);

}  // namespace cvperm
