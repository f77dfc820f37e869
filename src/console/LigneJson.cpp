#include "console/LigneJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>

#include <cmath>

void LigneJson::nom(const char *nom)
{
    if (texte_.size() > 1)
        texte_ += ',';
    texte_ += '"';
    texte_ += nom;
    texte_ += "\":";
}

LigneJson &LigneJson::ajoute(const char *n, qint64 valeur)
{
    nom(n);
    texte_ += QByteArray::number(valeur);
    return *this;
}

LigneJson &LigneJson::ajoute(const char *n, double valeur)
{
    nom(n);
    if (!std::isfinite(valeur))
        texte_ += "null";
    else if (std::trunc(valeur) == valeur && std::fabs(valeur) < 9007199254740992.0)
        texte_ += QByteArray::number(qint64(valeur)); // 125000000, not 1.25e+08
    else
        texte_ += QByteArray::number(valeur, 'g', QLocale::FloatingPointShortest);
    return *this;
}

LigneJson &LigneJson::ajoute(const char *n, const QString &valeur)
{
    nom(n);
    // Qt's own writer escapes the string: ["..."] without its brackets.
    const QByteArray tableau = QJsonDocument(QJsonArray{valeur}).toJson(QJsonDocument::Compact);
    texte_ += tableau.mid(1, tableau.size() - 2);
    return *this;
}

LigneJson &LigneJson::ajoute(const char *n, const LigneJson &objet)
{
    nom(n);
    texte_ += objet.texte();
    return *this;
}
