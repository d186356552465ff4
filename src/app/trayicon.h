#pragma once

#include <QObject>

class QMenu;
class QSystemTrayIcon;

// RxTrayIcon1. Copes with desktops that have no tray (no tray host,
// offscreen): then the program is reached through its task-bar button.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    TrayIcon(QMenu *popupMenu, QObject *parent);

    // True while a tray host shows the icon.
    bool isAvailable() const;
    void remove();
    // A notification beside the icon (the desktop's service where it has one).
    void showMessage(const QString &title, const QString &text);
    void setToolTip(const QString &text);
    QString toolTip() const;

signals:
    // A left click on the icon; a right click shows the pop-up menu instead.
    void clicked();

private:
    QSystemTrayIcon *m_icon;
};
