#include "runtimeerror.h"

#include "platform/platform.h"

RuntimeError::RuntimeError(QString message)
    : m_message(std::move(message)), m_what(m_message.toLocal8Bit())
{
}

EInOutError::EInOutError(int code) : RuntimeError(textFor(code)), m_code(code) {}

QString EInOutError::textFor(int code)
{
    switch (code) {
    case 2:
        return QStringLiteral("Fichier introuvable");
    case 3:
        return QStringLiteral("Nom de fichier incorrect");
    case 4:
        return QStringLiteral("Trop de fichiers ouverts");
    case 5:
        return QStringLiteral("Accès au fichier refusé");
    case 101:
        return QStringLiteral("Disque plein");
    default:
        return QStringLiteral("Erreur E/S %1").arg(code);
    }
}

void EInOutError::raiseLast()
{
    throw EInOutError(Platform::lastFileErrorCode());
}
