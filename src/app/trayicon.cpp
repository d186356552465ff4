#include "trayicon.h"

#include "widgets/programicon.h"

#include <QSystemTrayIcon>

TrayIcon::TrayIcon(QMenu *popupMenu, QObject *parent)
    : QObject(parent), m_icon(new QSystemTrayIcon(programIcon(), this))
{
    m_icon->setObjectName(QStringLiteral("RxTrayIcon1"));
    m_icon->setToolTip(QStringLiteral("Pendulix"));
    m_icon->setContextMenu(popupMenu);
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // The double-click's first click already showed the window.
                if (reason == QSystemTrayIcon::Trigger)
                    emit clicked();
            });
    m_icon->show();
}

bool TrayIcon::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable() && m_icon->isVisible();
}

void TrayIcon::remove()
{
    m_icon->hide();
}

void TrayIcon::setToolTip(const QString &text)
{
    m_icon->setToolTip(text);
}

QString TrayIcon::toolTip() const
{
    return m_icon->toolTip();
}

void TrayIcon::showMessage(const QString &title, const QString &text)
{
    if (m_icon->isVisible())
        m_icon->showMessage(title, text, QSystemTrayIcon::Warning, 10000);
}
