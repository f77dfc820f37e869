#include "registre/RegistryError.h"

RegistryError::RegistryError(qint32 number, const QString &source, const QString &description)
    : std::runtime_error(description.toStdString()),
      errorNumber(number),
      errorSource(source),
      errorDescription(description)
{
}
