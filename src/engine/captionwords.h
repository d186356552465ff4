#pragma once

#include "runner/nextrun.h"
#include "schedule/entrysentence.h"

#include <functional>

// The text a caption of that component name has in the interface's
// language: a hidden label's on the window, the language file's elsewhere.
using CaptionOf = std::function<QString(const QString &componentName)>;

// The words of next and last runs, and those of the entry sentence, from
// the captions that hold them.
NextRunWords nextRunWordsFrom(const CaptionOf &caption);
SentenceWords sentenceWordsFrom(const CaptionOf &caption);
