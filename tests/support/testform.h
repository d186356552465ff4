#pragma once

#include "app/Unit1.h"
#include "testprogramdir.h"

#include <QTimer>

#include <functional>
#include <memory>

// A main window over a test's own program directory, its timers stopped so
// that nothing runs behind the test's back, built and started as at start-up.
inline std::unique_ptr<TForm1> makeTestForm(const TestProgramDir &dir,
                                            const std::function<void(TForm1::Options &)> &adjust = {})
{
    TForm1::Options options;
    options.programDirectory = dir.path();
    options.executableFileName = QStringLiteral("Pendulix");
    options.exitAsker = [](const QString &, const QString &) { return ExitAnswer::No; };
    if (adjust)
        adjust(options);
    auto form = std::make_unique<TForm1>(options);
    form->Timer1->stop();
    form->Timer2->stop();
    form->FormCreate();
    return form;
}
