#include "app/EngineBrowser.h"

EngineBrowser::EngineBrowser(QWidget *parent) : WebBrowser(parent) { }

EngineBrowser::~EngineBrowser() = default;

void EngineBrowser::setSilent(bool silent)
{
    m_silent = silent;
}

bool EngineBrowser::isSilent() const
{
    return m_silent;
}

void EngineBrowser::navigate(const QString &address, int flags)
{
    Q_UNUSED(address);
    Q_UNUSED(flags);
}
