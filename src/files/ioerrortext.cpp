#include "ioerrortext.h"

std::string ioErrorText(int code)
{
    switch (code) {
    case 2:
        return "Fichier introuvable";
    case 3:
        return "Nom de fichier incorrect";
    case 4:
        return "Trop de fichiers ouverts";
    case 5:
        return "Acc\xC3\xA8s au fichier refus\xC3\xA9";
    case 101:
        return "Disque plein";
    default:
        return "Erreur E/S " + std::to_string(code);
    }
}
