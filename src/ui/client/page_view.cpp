#include "ui/client/page_view.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>

namespace dr::ui {

namespace {

// Pages and pictures larger than this are not shown.
constexpr qint64 kMaxResource = qint64(256) << 20;

QByteArray readLocal(const QString& path) {
    // Only regular files: a pipe would block the window, a device never ends.
    if (!QFileInfo(path).isFile()) return {};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxResource) return {};
    return f.readAll();
}

// The pages are written in the system's 8-bit code page or, for names taken
// from the disk, in UTF-8: UTF-8 when the bytes are valid UTF-8, else Latin-1.
QString decodePage(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) return text;
    return QString::fromLatin1(bytes);
}

} // namespace

PageView::PageView(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    connect(this, &QTextBrowser::anchorClicked, this, &PageView::linkClicked);
}

QString PageView::localPathOf(const QString& url) {
    QString path;
    if (url.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        QUrl u(url);
        if (!u.isValid() || !u.host().isEmpty()) return {};
        path = u.toLocalFile();
        if (path.isEmpty()) path = u.path();
    } else if (url.startsWith(QLatin1Char('/'))) {
        // Plain paths in links carry their special bytes as %XX too.
        path = QUrl::fromPercentEncoding(url.toUtf8());
    } else {
        return {};
    }
    // "file:///" + an absolute path gives one slash too many.
    while (path.startsWith(QLatin1String("//"))) path.remove(0, 1);
    return path.startsWith(QLatin1Char('/')) ? path : QString();
}

QString PageView::tidyMarkup(const QString& html) {
    static const QRegularExpression tag(QStringLiteral("<(/?)(table|tr|td|th)\\b[^>]*>"),
                                        QRegularExpression::CaseInsensitiveOption);
    struct Table { bool row = false, cell = false; };
    std::vector<Table> open;
    QString out;
    out.reserve(html.size());
    qsizetype from = 0;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        QRegularExpressionMatch m = it.next();
        const bool closing = !m.capturedView(1).isEmpty();
        const QString name = m.captured(2).toLower();
        bool keep = true;
        if (name == QLatin1String("table")) {
            if (!closing) open.push_back({});
            else if (open.empty()) keep = false;
            else open.pop_back();
        } else if (!open.empty()) {
            Table& t = open.back();
            if (name == QLatin1String("tr")) {
                keep = !closing || t.row;
                t.row = !closing;
                t.cell = false;
            } else if (closing) {
                keep = t.cell;
                t.cell = false;
            } else {
                t.row = t.cell = true;
            }
        } else {
            keep = !closing;
        }
        if (keep) continue;
        out += QStringView(html).mid(from, m.capturedStart() - from);
        from = m.capturedEnd();
    }
    out += QStringView(html).mid(from);
    static const QRegularExpression afterBlock(QStringLiteral("(</(?:h[1-6]|p|div|pre|blockquote|ul|ol|dl)\\s*>)\\s+(?=<)"),
                                               QRegularExpression::CaseInsensitiveOption);
    out.replace(afterBlock, QStringLiteral("\\1"));
    static const QRegularExpression cellEndBreak(QStringLiteral("<br\\s*/?>\\s*(?=</t[dh]\\s*>)"),
                                                 QRegularExpression::CaseInsensitiveOption);
    out.remove(cellEndBreak);
    return out;
}

bool PageView::navigate(const QString& url) {
    if (url.compare(QLatin1String(kBlank), Qt::CaseInsensitive) == 0) {
        document()->setBaseUrl(QUrl());
        setHtml(QString());
        location_ = kBlank;
        file_.clear();
        return true;
    }
    const QString path = localPathOf(url);
    if (path.isEmpty()) return false; // the network and everything else stay out
    QByteArray bytes = readLocal(path);
    QString html;
    if (bytes.isNull() && !QFileInfo(path).isFile())
        html = QStringLiteral("<p>The page %1 cannot be shown.</p>").arg(path.toHtmlEscaped());
    else
        html = tidyMarkup(decodePage(bytes));
    document()->setBaseUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath() + QLatin1Char('/')));
    setHtml(html);
    location_ = url;
    file_ = path;
    return true;
}

QVariant PageView::loadResource(int type, const QUrl& name) {
    // Pictures and style sheets of a page come from local files only.
    if (type == QTextDocument::HtmlResource) return {};
    QUrl url = name;
    if (url.isRelative() && !document()->baseUrl().isEmpty()) url = document()->baseUrl().resolved(url);
    QString path;
    if (url.isLocalFile()) path = url.toLocalFile();
    else if (url.scheme().isEmpty() && url.path().startsWith(QLatin1Char('/'))) path = url.path(QUrl::FullyDecoded);
    else return {};
    QByteArray bytes = readLocal(path);
    // Never empty-handed for a local name: the document would then open it
    // itself, pipes and devices included.
    if (bytes.isEmpty()) {
        if (type != QTextDocument::ImageResource) return QVariant(QByteArray());
        QImage none(1, 1, QImage::Format_ARGB32);
        none.fill(Qt::transparent);
        return none;
    }
    if (type == QTextDocument::StyleSheetResource) return decodePage(bytes);
    return bytes;
}

void PageView::activateLink(const QString& href) {
    if (href.isEmpty()) return;
    if (href.startsWith(QLatin1Char('#'))) {
        scrollToAnchor(href.mid(1));
        return;
    }
    PageLink link{href, document()->baseUrl().isEmpty() ? QUrl(href) : document()->baseUrl().resolved(QUrl(href))};
    if (onLink) onLink(link);
}

void PageView::linkClicked(const QUrl& url) {
    QString href = pendingHref_.isEmpty() ? url.toString() : pendingHref_;
    pendingHref_.clear();
    activateLink(href);
}

void PageView::mouseReleaseEvent(QMouseEvent* e) {
    // The browser hands out the link resolved against the page; a FIND link
    // must be seen as written.
    pendingHref_ = anchorAt(e->position().toPoint());
    QTextBrowser::mouseReleaseEvent(e);
    pendingHref_.clear();
}

void PageView::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        QTextCursor c = textCursor();
        if (c.hasSelection()) {
            c.setPosition(c.selectionStart());
            c.movePosition(QTextCursor::NextCharacter);
        }
        pendingHref_ = c.charFormat().anchorHref();
    }
    QTextBrowser::keyPressEvent(e);
    pendingHref_.clear();
}

} // namespace dr::ui
