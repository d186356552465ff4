#include "Unit2.h"

#include "journal/errorboundary.h"
#include "widgets/filechoice.h"
#include "widgets/programicon.h"
#include "widgets/screenfit.h"
#include "journalmodel.h"
#include "settings/captions.h"
#include "settings/languages.h"
#include "files/textfile.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using ErrorBoundary::guarded;

TForm2::TForm2(Hooks hooks, QWidget *parent) : QMainWindow(parent), m_hooks(std::move(hooks))
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Pendulix"));
    setWindowIcon(programIcon());
    resize(772, 592);

    m_model = new JournalModel(this);
    auto *central = new QWidget(this);
    ListView1 = new QTableView(central);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(m_model);
    // A table view rather than a tree view: the tree keeps an item for every
    // row, which a journal of a million lines would pay for in memory.
    ListView1->setShowGrid(false);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setWordWrap(false);
    ListView1->verticalHeader()->hide();
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 4);
    ListView1->horizontalHeader()->setHighlightSections(false);
    // Wider than the time alone: failures carry their status in this column.
    ListView1->setColumnWidth(0, 200);
    ListView1->setColumnWidth(1, 500);

    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(30);
    Panel1->installEventFilter(this);
    Button1 = new QPushButton(QStringLiteral("Fermer"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    auto *strip = new QHBoxLayout(Panel1);
    strip->setContentsMargins(4, 0, 4, 0);
    strip->addStretch();
    strip->addWidget(Button1);

    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ListView1, 1);
    layout->addWidget(Panel1);
    setCentralWidget(central);

    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    // Read out as it is written in both languages, as the main window's.
    menuBar()->setAccessibleName(QStringLiteral("Menu"));
    Fichier1 = menuBar()->addMenu(QStringLiteral("Fichier"));
    Fichier1->setObjectName(QStringLiteral("Fichier1"));
    Voirlesfichiersjuornaux1 = Fichier1->addAction(QStringLiteral("Ouvrir les fichiers journaux"));
    Voirlesfichiersjuornaux1->setObjectName(QStringLiteral("Voirlesfichiersjuornaux1"));
    N5 = Fichier1->addSeparator();
    N5->setObjectName(QStringLiteral("N5"));
    Quitter1 = Fichier1->addAction(QStringLiteral("Quitter"));
    Quitter1->setObjectName(QStringLiteral("Quitter1"));

    for (QObject *component : languageComponents())
        m_frenchCaptions.insert(component, captionOf(component));
    for (int column = 0; column < m_model->columnCount(); ++column)
        m_frenchHeaders << m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();

    connect(Voirlesfichiersjuornaux1, &QAction::triggered, this,
            guarded([this] { Voirlesfichiersjuornaux1Click(); }));
    connect(Quitter1, &QAction::triggered, this, guarded([this] { Quitter1Click(); }));
    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
}

void TForm2::chooseJournalFile(QWidget *parent, std::function<void(const QString &path)> chosen)
{
    const QStringList filters{QStringLiteral("Fichier journal (*.log)"),
                              QStringLiteral("Sortie de programme (*.txt)")};
    if (!m_hooks.chooseFile) {
        // Chosen later, from the dialog's own signal: its errors meet the boundary there.
        chooseExistingFile(parent, filters, m_hooks.programDirectory,
                           [chosen = std::move(chosen)](const QString &path) {
                               ErrorBoundary::run([&] { chosen(path); });
                           });
        return;
    }
    const QString path = m_hooks.chooseFile(parent, filters, m_hooks.programDirectory);
    if (!path.isEmpty())
        chosen(path);
}

void TForm2::loadFile(const QString &path)
{
    m_model->clear();
    showTitleFor(path);
    m_model->setJournalText(TextFile::readAll(path));
}

void TForm2::loadOutput(const QString &path)
{
    m_model->clear();
    showTitleFor(path);
    m_model->setPlainText(TextFile::readAll(path));
}

void TForm2::loadChosen(const QString &path)
{
    const QString outputs = QDir::cleanPath(m_hooks.programDirectory + QStringLiteral("sorties"));
    if (QFileInfo(path).absolutePath() == outputs)
        loadOutput(path);
    else
        loadFile(path);
}

void TForm2::Voirlesfichiersjuornaux1Click()
{
    chooseJournalFile(this, [this](const QString &path) { loadChosen(path); });
}

void TForm2::Button1Click()
{
    hide();
}

void TForm2::Quitter1Click()
{
    hide();
}

void TForm2::FormActivate()
{
    const QString language = m_hooks.languageName ? m_hooks.languageName() : QString();
    const bool french = !m_hooks.iniLang || language.isEmpty() || language == QLatin1String("French");
    for (int column = 0; column < m_model->columnCount(); ++column)
        m_model->setHeaderData(column, Qt::Horizontal,
                               french ? m_frenchHeaders.value(column) : m_hooks.iniLang(columnKey(column)),
                               Qt::DisplayRole);
    for (QObject *component : languageComponents())
        setCaptionOf(component, french ? m_frenchCaptions.value(component)
                                       : m_hooks.iniLang(component->objectName()));
}

QList<QObject *> TForm2::languageComponents() const
{
    return {static_cast<QObject *>(Fichier1), Voirlesfichiersjuornaux1, N5, Quitter1, Button1};
}

void TForm2::showTitleFor(const QString &path)
{
    // The file shown, as file windows name it, then the program.
    setWindowTitle(QFileInfo(path).fileName() + QStringLiteral(" - Pendulix"));
    // Its rows are read out as the file's, in either language.
    ListView1->setAccessibleName(QFileInfo(path).fileName());
}

bool TForm2::event(QEvent *event)
{
    // Showing the window activates it; some platforms report no activation
    // for a window shown again while it still held the focus.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
        ErrorBoundary::run([this] { FormActivate(); });
    if (event->type() == QEvent::Show)
        fitInsideScreen(this);
    return QMainWindow::event(event);
}

bool TForm2::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Panel1 && event->type() == QEvent::MouseButtonRelease)
        ErrorBoundary::run([this] { Button1Click(); });
    return QMainWindow::eventFilter(watched, event);
}
