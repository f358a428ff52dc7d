#pragma once

// Reads what the X server itself holds: the pointer image it shows (XFixes)
// and the pixels of the screen. The test process runs offscreen; these talk
// to the X server straight through Xlib, as another client would.

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

// Xlib's macros clash with Qt's names in the files that include this one.
#undef Bool
#undef None
#undef Status
#undef Unsorted
#undef CursorShape
#undef KeyPress
#undef KeyRelease
#undef FocusIn
#undef FocusOut
#undef FontChange
#undef Expose
#undef Always

namespace XScreen {

class Connection
{
public:
    explicit Connection(const QString &display = QString())
        : m_display(XOpenDisplay(display.isEmpty() ? nullptr : display.toLocal8Bit().constData()))
    {
    }
    ~Connection()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool isOpen() const { return m_display != nullptr; }

    // The pointer image the server shows now, with its hot spot; a null
    // image when the server has no XFixes.
    QImage cursor(QPoint *hotSpot = nullptr) const
    {
        int event = 0;
        int error = 0;
        if (!m_display || !XFixesQueryExtension(m_display, &event, &error))
            return {};
        XFixesCursorImage *c = XFixesGetCursorImage(m_display);
        if (!c)
            return {};
        QImage image(c->width, c->height, QImage::Format_ARGB32);
        for (int y = 0; y < c->height; ++y)
            for (int x = 0; x < c->width; ++x)
                image.setPixel(x, y, QRgb(c->pixels[y * c->width + x] & 0xffffffffu));
        if (hotSpot)
            *hotSpot = QPoint(c->xhot, c->yhot);
        XFree(c);
        return image;
    }

    // A part of the screen as the server has it.
    QImage grab(const QRect &area) const
    {
        if (!m_display)
            return {};
        const Window root = DefaultRootWindow(m_display);
        XImage *x = XGetImage(m_display, root, area.x(), area.y(), unsigned(area.width()),
                              unsigned(area.height()), AllPlanes, ZPixmap);
        if (!x)
            return {};
        QImage image(area.size(), QImage::Format_RGB32);
        if (x->bits_per_pixel == 32) {
            for (int y = 0; y < area.height(); ++y)
                memcpy(image.scanLine(y), x->data + qsizetype(y) * x->bytes_per_line, size_t(area.width()) * 4);
        } else {
            for (int y = 0; y < area.height(); ++y)
                for (int xx = 0; xx < area.width(); ++xx)
                    image.setPixel(xx, y, QRgb(XGetPixel(x, xx, y)));
        }
        XDestroyImage(x);
        return image;
    }

private:
    Display *m_display = nullptr;
};

// An X server of the test's own, for a screen larger than the one the tests
// run on (a whole catalogue page at once). Stops with the object.
class OwnServer
{
public:
    explicit OwnServer(QSize screen)
    {
        // The server picks a free display and prints its number.
        m_process.start(QStringLiteral("Xvfb"),
                        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                         QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                         QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height())});
        if (!m_process.waitForStarted(10000))
            return;
        QByteArray out;
        while (!out.contains('\n') && m_process.waitForReadyRead(15000))
            out += m_process.readAllStandardOutput();
        const QByteArray number = out.trimmed();
        if (!number.isEmpty())
            m_display = QLatin1Char(':') + QString::fromLatin1(number);
    }
    ~OwnServer()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(2000);
    }
    // ":N", or empty when the server did not start.
    QString display() const { return m_display; }

private:
    QProcess m_process;
    QString m_display;
};

} // namespace XScreen
