#include "app/WebBrowser.h"

#include "engine/EngineBrowser.h"

namespace {
BrowserFactory &installedFactory()
{
    static BrowserFactory factory;
    return factory;
}
} // namespace

WebBrowser *createBrowser(QWidget *parent)
{
    if (const auto &factory = installedFactory())
        return factory(parent);
    return new EngineBrowser(parent);
}

void setBrowserFactory(BrowserFactory factory)
{
    installedFactory() = std::move(factory);
}
