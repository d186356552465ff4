#pragma once

#include "app/Unit1.h"
#include "app/composition.h"
#include "engine/schedulingengine.h"
#include "testprogramdir.h"

#include <QTimer>

#include <functional>
#include <memory>

// What a test may set before the program's parts are built.
struct TestFormOptions
{
    SchedulingEngine::Inputs engine;
    TForm1::Options form;
};

// The engine and the main window over a test's own program directory,
// connected, restored and started as at start-up, but with no timer running,
// so that nothing runs behind the test's back.
class TestForm
{
public:
    TestForm() = default;
    explicit TestForm(const TestFormOptions &options)
        : m_engine(std::make_unique<SchedulingEngine>(options.engine)),
          m_form(std::make_unique<TForm1>(*m_engine, options.form))
    {
        connectEngineAndWindow(*m_engine, *m_form);
        m_form->restoreSettings();
        m_form->Timer2->stop();
        m_form->FormCreate();
    }
    TForm1 *get() const { return m_form.get(); }
    TForm1 *operator->() const { return m_form.get(); }
    TForm1 &operator*() const { return *m_form; }
    SchedulingEngine &engine() const { return *m_engine; }
    void reset()
    {
        m_form.reset();
        m_engine.reset();
    }

private:
    // The window goes first: it holds the engine's lines.
    std::unique_ptr<SchedulingEngine> m_engine;
    std::unique_ptr<TForm1> m_form;
};

inline TestForm makeTestForm(const TestProgramDir &dir,
                             const std::function<void(TestFormOptions &)> &adjust = {})
{
    TestFormOptions options;
    options.engine.programDirectory = dir.path();
    options.form.programDirectory = dir.path();
    options.form.executableFileName = QStringLiteral("Pendulix");
    options.form.exitAsker = [](const QString &, const QString &, const ExitAnswered &answered) {
        answered(ExitAnswer::No);
    };
    if (adjust)
        adjust(options);
    return TestForm(options);
}
