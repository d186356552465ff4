#include "Unit3.h"

#include "aboutpicture.h"
#include "journal/errorboundary.h"
#include "widgets/screenfit.h"
#include "jpegimage.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

TForm3::TForm3(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("PendulixDate"));
    setModal(false);
    resize(305, 211);
    // Where the window was designed; a window manager may place it elsewhere.
    move(461, 256);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setMinimumSize(281, 129);

    Image1 = new QLabel(panel);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFrameShape(QFrame::Box);
    Image1->setFixedSize(57, 57);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(QPixmap::fromImage(decodeJpeg(aboutPictureJpeg())));

    Label1 = new QLabel(QStringLiteral("Pendulix"), panel);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    bold.setPixelSize(13);
    Label1->setFont(bold);
    Label3 = new QLabel(QStringLiteral("Version : 1.5.2"), panel);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label2 = new QLabel(QStringLiteral("http://www.pendulix.example"), panel);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *texts = new QVBoxLayout;
    texts->addWidget(Label1);
    texts->addWidget(Label3);
    texts->addStretch();
    auto *panelLayout = new QGridLayout(panel);
    panelLayout->addWidget(Image1, 0, 0, Qt::AlignTop);
    panelLayout->addLayout(texts, 0, 1);
    panelLayout->addWidget(Label2, 1, 0, 1, 2);
    panelLayout->setColumnStretch(1, 1);

    Button9 = new QPushButton(QStringLiteral("Fermer"), this);
    Button9->setObjectName(QStringLiteral("Button9"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button9);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addLayout(buttons);

    connect(Button9, &QPushButton::clicked, this,
            ErrorBoundary::guarded([this] { Button9Click(); }));
}

void TForm3::Button9Click()
{
    hide();
}

void TForm3::FormActivate()
{
    if (m_iniLang)
        Button9->setText(m_iniLang(Button9->objectName()));
}

bool TForm3::event(QEvent *event)
{
    // Showing the window activates it; some platforms report no activation
    // for a window shown again while it still held the focus.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
        ErrorBoundary::run([this] { FormActivate(); });
    if (event->type() == QEvent::Show)
        fitInsideScreen(this);
    return QDialog::event(event);
}
