#pragma once

#include <QObject>
#include <QString>

class QWidget;

// Keeps the values of a window's controls in serie.ini. Only controls whose
// name holds "_" are saved; each switch turns one kind of control on or off.
// Restaure runs when the window is built, before its start-up code; Sauvegarde
// at hides and closes, and once more after the window's own close handler.
class TSvgEditIni : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool SauveEdit MEMBER SauveEdit)
    Q_PROPERTY(bool SauveDateTimePicker MEMBER SauveDateTimePicker)
    Q_PROPERTY(bool SauveCheckBox MEMBER SauveCheckBox)
    Q_PROPERTY(bool SauveRadioButton MEMBER SauveRadioButton)
    Q_PROPERTY(bool SauveSpinEdit MEMBER SauveSpinEdit)
    Q_PROPERTY(bool SauveMemo MEMBER SauveMemo)
    Q_PROPERTY(bool SauveRichEdit MEMBER SauveRichEdit)
    Q_PROPERTY(bool SauveComboBox MEMBER SauveComboBox)
    Q_PROPERTY(bool SauveListBox MEMBER SauveListBox)
    Q_PROPERTY(bool SauveStringGrid MEMBER SauveStringGrid)
public:
    // Joins the owner's close: the values are saved after the owner's own
    // close handler has run, whatever it decided.
    TSvgEditIni(QWidget *owner, QString iniPath);

    void Sauvegarde();
    void Restaure();

    bool SauveEdit = true;
    bool SauveDateTimePicker = true;
    bool SauveCheckBox = true;
    bool SauveRadioButton = true;
    bool SauveSpinEdit = true;
    bool SauveMemo = false;
    bool SauveRichEdit = false;
    bool SauveComboBox = false;
    bool SauveListBox = false;
    bool SauveStringGrid = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void save(QWidget *control);
    void restore(QWidget *control);

    QWidget *m_owner;
    QString m_path;
    bool m_inOwnerClose = false;
};
