#pragma once

#include "app/BrowserEngine.h"

#include <QObject>

// The entry point of the engine module: makes engine-backed browsers.
class EngineModule : public QObject, public BrowserEngine
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID BrowserEngine_iid)
    Q_INTERFACES(BrowserEngine)

public:
    EngineModule();
    WebBrowser *createBrowser(QWidget *parent, BrowserPurpose purpose) override;
    void warmUp() override;
};
