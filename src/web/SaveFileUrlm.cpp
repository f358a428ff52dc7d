#include "web/SaveFileUrlm.h"

void SaveFileUrlm(const QString &url)
{
    Q_UNUSED(url);
}

void OpURL(const QString &path)
{
    Q_UNUSED(path);
}
