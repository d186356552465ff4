#include "captionwords.h"

namespace {

QString label(const CaptionOf &caption, int number)
{
    return caption(QStringLiteral("Label%1").arg(number));
}

} // namespace

NextRunWords nextRunWordsFrom(const CaptionOf &caption)
{
    NextRunWords words;
    words.today = label(caption, 44);
    words.tomorrow = label(caption, 45);
    words.yesterday = label(caption, 61);
    words.never = label(caption, 46);
    words.noDay = label(caption, 47);
    words.notANumber = label(caption, 48);
    words.paused = label(caption, 58);
    words.noDate = label(caption, 59);
    for (int day = 0; day < 7; ++day)
        words.days[day] = label(caption, 49 + day);
    return words;
}

SentenceWords sentenceWordsFrom(const CaptionOf &caption)
{
    SentenceWords words;
    words.opening = label(caption, 42);
    words.intervalJoin = label(caption, 33);
    words.weekdayJoin = label(caption, 34);
    words.minutes = label(caption, 1);
    words.hours = label(caption, 2);
    words.hoursAndMinutes = label(caption, 32);
    for (int day = 0; day < 7; ++day)
        words.days[day] = label(caption, 35 + day);
    words.monthDays = label(caption, 67);
    words.months = label(caption, 68);
    words.lastDay = label(caption, 69);
    words.paused = label(caption, 58);
    words.alone = label(caption, 73);
    words.stopAfter = label(caption, 74);
    words.catchUp = label(caption, 75);
    return words;
}
