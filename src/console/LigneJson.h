#pragma once

#include <QByteArray>
#include <QString>

// One JSON object written on one line, its members in the order they are
// added: numbers as JSON numbers, texts as JSON strings in UTF-8.
class LigneJson
{
public:
    LigneJson &ajoute(const char *nom, qint64 valeur);
    LigneJson &ajoute(const char *nom, int valeur) { return ajoute(nom, qint64(valeur)); }
    // A value that is not a finite number is written as null.
    LigneJson &ajoute(const char *nom, double valeur);
    LigneJson &ajoute(const char *nom, const QString &valeur);
    // An object within the object.
    LigneJson &ajoute(const char *nom, const LigneJson &objet);

    // The object, without a line ending.
    QByteArray texte() const { return texte_ + '}'; }

private:
    void nom(const char *nom);

    QByteArray texte_ = "{";
};
