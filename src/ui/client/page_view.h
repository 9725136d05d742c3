#pragma once
// The page view `web` of the client window: a text browser that shows local
// pages only. It never follows a link itself: every link the user activates
// goes to the program first, which runs a search, opens the file or folder,
// or leaves it. Nothing is fetched from the network and no script runs.
#include <QString>
#include <QTextBrowser>
#include <QUrl>
#include <functional>

namespace dr::ui {

// A link as the user activated it.
struct PageLink {
    QString href; // as written in the page
    QUrl url;     // resolved against the page shown
};

class PageView : public QTextBrowser {
    Q_OBJECT
public:
    explicit PageView(QWidget* parent = nullptr);

    static constexpr const char* kBlank = "about:blank";

    // Shows "about:blank", a local page given as a file URL ("file:///" and a
    // path, however many slashes) or as an absolute path. Any other address
    // is refused: false, and the view keeps what it shows.
    bool navigate(const QString& url);
    // Loading is synchronous, so there is never anything to stop.
    void stop() {}
    // The view is always offline; the flag is kept for the callers that set it.
    void setOffline(bool on) { offline_ = on; }
    bool offline() const { return offline_; }

    // The last address shown ("about:blank" at first) and its file ("" for about:blank).
    const QString& location() const { return location_; }
    const QString& localFile() const { return file_; }

    // Called for each link the user activates; in-page anchors ("#name") only scroll.
    std::function<void(const PageLink&)> onLink;

    // Activates a link of the page as a click on it does.
    void activateLink(const QString& href);

    // A local path for a file URL or an absolute path; "" for anything else.
    static QString localPathOf(const QString& url);
    // The page as a lenient browser reads it, for the text browser: closing
    // table tags that close nothing are dropped (they would end the
    // enclosing table), so are the blanks between the end of a heading or
    // paragraph and the next tag (they would pull what follows into it), and
    // a line break that ends a table cell (it would add an empty line).
    static QString tidyMarkup(const QString& html);

protected:
    QVariant loadResource(int type, const QUrl& name) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void linkClicked(const QUrl& url);

    QString location_ = kBlank;
    QString file_;
    QString pendingHref_; // the raw href of the link being activated
    bool offline_ = true;
};

} // namespace dr::ui
