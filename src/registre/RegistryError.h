#pragma once

#include <QString>

#include <stdexcept>

// The error that RegistryKey raises: the status of the registry operation
// that failed, the RegistryKey operation that met it ("RegistryKey.CloseKey")
// and a description. It carries no help reference.
class RegistryError : public std::runtime_error
{
public:
    RegistryError(qint32 number, const QString &source, const QString &description);

    qint32 number() const { return errorNumber; }
    QString source() const { return errorSource; }
    QString description() const { return errorDescription; }

private:
    qint32 errorNumber;
    QString errorSource;
    QString errorDescription;
};
