#pragma once

#include "app/WebBrowser.h"

// The browser backed by Qt WebEngine.
class EngineBrowser : public WebBrowser
{
    Q_OBJECT

public:
    explicit EngineBrowser(QWidget *parent = nullptr);
    ~EngineBrowser() override;

    void setSilent(bool silent) override;
    bool isSilent() const override;
    void navigate(const QString &address, int flags = 0) override;

private:
    bool m_silent = false;
};
