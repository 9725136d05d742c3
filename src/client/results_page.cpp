#include "client/results_page.h"

#include <unistd.h>

#include <cstring>

#include "client/record.h"
#include "client/search.h"
#include "common/format.h"
#include "common/launch.h"
#include "common/runtime.h"
#include "common/text.h"

namespace dr::client {

const char* const kPageStyleBlock[14] = {
    "<STYLE>",
    "BODY {  font-size:8pt; FONT-FAMILY:Verdana;  }",
    "NORMAL {    font-size:8pt; FONT-FAMILY:Verdana;  }",
    "A:link {        font-size:8pt; COLOR: blue;TEXT-DECORATION:none}",
    "A:visited { color: #003399; font-size:8pt;TEXT-DECORATION:none }",
    "A:hover {   color:#FF3300;TEXT-DECORATION:underline}",
    "TD {    font-size:8pt; valign=top; FONT-FAMILY:Verdana;  }",
    "H1 {    font-size:220%; FONT-WEIGHT:NORMAL; padding: 10px 0px 0px 0px; margin:0px; }",
    "H2 {    font-size:160%; FONT-WEIGHT:NORMAL; margin:0px 0px 0px 0px; padding:0px; }",
    "H3 {    font-size:120%; FONT-WEIGHT:BOLD; margin:0px 0px 0px 0px; padding:1px; letter-spacing:0.05em; }",
    "H4 {    font-size:140%; FONT-WEIGHT:NORMAL; margin:0px 0px 0px 0px; padding:1px; }",
    ("H5 {    font-size:7pt; FONT-FAMILY:Arial; color:#00008B ; FONT-WEIGHT:NORMAL; margin:0px 0px 0px 0px; "
     "padding: 0px 0px 0px 0px; }"),
    "</STYLE>",
    "</HEAD><BODY>",
};

namespace {

constexpr std::string_view kEol = "\r\n";

// Which bytes a link target carries as %XX.
struct UrlTable {
    bool encode[256];
    constexpr UrlTable() : encode() {
        for (int c = 0; c < 256; ++c) encode[c] = c < 0x20 || c >= 0x7F;
        for (char c : std::string_view("\"#%<>?\\`{}")) encode[static_cast<unsigned char>(c)] = true;
    }
};
constexpr UrlTable kUrl;

std::string_view afterLastDot(std::string_view p) {
    size_t dot = p.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : p.substr(dot + 1);
}

bool isPicture(std::string_view path) {
    std::string_view e = afterLastDot(path);
    return iequals(e, "GIF") || iequals(e, "JPG") || iequals(e, "JPEG") || iequals(e, "BMP");
}

bool isSize(std::string_view s) {
    int64_t v = 0;
    return ParseSizeText(s, v) && v >= 1;
}

// `href="file://..."` with the quotes.
void fileHref(std::string& out, std::string_view path) {
    out += '"';
    AppendFileUrl(out, path);
    out += '"';
}

void plainHref(std::string& out, std::string_view path) {
    out += '"';
    AppendUrlPath(out, path);
    out += '"';
}

// The first 38 bytes and "..", without cutting a character in two.
void appendShortName(std::string& out, std::string_view name) {
    if (name.size() <= 40) {
        AppendHtml(out, name);
        return;
    }
    size_t n = 38;
    while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
    AppendHtml(out, name.substr(0, n));
    out += "..";
}

void line(std::string& out, std::string_view a) {
    out.append(a);
    out.append(kEol);
}

} // namespace

void AppendHtml(std::string& out, std::string_view text) {
    size_t from = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char* rep;
        switch (text[i]) {
        case '&': rep = "&amp;"; break;
        case '<': rep = "&lt;"; break;
        case '>': rep = "&gt;"; break;
        case '"': rep = "&quot;"; break;
        default: continue;
        }
        out.append(text.substr(from, i - from));
        out.append(rep);
        from = i + 1;
    }
    out.append(text.substr(from));
}

std::string HtmlEscape(std::string_view text) {
    std::string out;
    AppendHtml(out, text);
    return out;
}

void AppendUrlPath(std::string& out, std::string_view path) {
    static const char hex[] = "0123456789ABCDEF";
    size_t from = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (!kUrl.encode[c] && c != '&') continue;
        out.append(path.substr(from, i - from));
        if (c == '&') {
            // Fine in a URL, but not bare in an attribute.
            out.append("&amp;");
        } else {
            char esc[3] = {'%', hex[c >> 4], hex[c & 15]};
            out.append(esc, 3);
        }
        from = i + 1;
    }
    out.append(path.substr(from));
}

void AppendFileUrl(std::string& out, std::string_view path) {
    out += "file://";
    if (path.empty() || path[0] != '/') {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd)) {
            std::string_view c(cwd);
            AppendUrlPath(out, c);
            if (c.empty() || c.back() != '/') out += '/';
        } else {
            out += '/';
        }
    }
    AppendUrlPath(out, path);
}

std::string FileUrl(std::string_view path) {
    std::string out;
    AppendFileUrl(out, path);
    return out;
}

void AppendPageHead(std::string& out, std::string_view searchText, std::string_view description) {
    line(out, "<HTML><HEAD><TITLE>Search Results</TITLE>");
    for (const char* l : kPageStyleBlock) line(out, l);
    out += "<H3>Search Result for '";
    AppendHtml(out, searchText);
    line(out, "'</H3>");
    AppendHtml(out, description);
    line(out, "<BR><BR>");
}

namespace {
void appendFolderLink(std::string& out, int64_t n, std::string_view l) {
    out += formatInt(n, "###,###");
    out += ". <a href=";
    plainHref(out, l);
    out += " target=new>";
    AppendHtml(out, l);
    out += "</a><BR>";
}
} // namespace

std::string BuildFolderLinks(const std::string& foldersPath) {
    std::string out;
    LineReader in(foldersPath);
    std::string_view l;
    int64_t n = 0;
    while (in.next(l))
        if (!l.empty()) appendFolderLink(out, ++n, l);
    return out;
}

std::string BuildFolderLinksFromText(std::string_view folderLines) {
    std::string out;
    int64_t n = 0;
    while (!folderLines.empty()) {
        size_t e = folderLines.find_first_of("\r\n");
        std::string_view l = folderLines.substr(0, e);
        if (!l.empty()) appendFolderLink(out, ++n, l);
        if (e == std::string_view::npos) break;
        folderLines.remove_prefix(e + 1);
    }
    return out;
}

void AppendFoldersBox(std::string& out, std::string_view searchText, std::string_view folderLinks) {
    line(out, "<table width=50% bgcolor=#FFFFE0 align=right border=0 cellpadding=2% valign=top><tr>"
              "<TD width=100% valign=top align=left>");
    out += "<B>Folders containing '";
    AppendHtml(out, searchText);
    line(out, "'</B><BR>");
    line(out, folderLinks);
    line(out, "</td></tr></table>");
}

void AppendTableHead(std::string& out) {
    line(out, "<table width=90% valign=top align=center border=1><TR>");
    line(out, "<td width=20%>File Name</td>");
    line(out, "<td width=10%>Size</td>");
    line(out, "<td width=20%>Last Modified</td>");
    line(out, "<td width=50%>Path</td>");
    line(out, "</tr>");
}

void AppendTableEnd(std::string& out) { line(out, "</table><BR>"); }

void AppendMissingLine(std::string& out, std::string_view path) {
    out += "<FONT color=#808080>";
    AppendHtml(out, path);
    line(out, " was not found on hard drive</FONT><BR>");
}

void AppendPageFoot(std::string& out, int64_t count, int64_t total, std::string_view searchUpper,
                    std::string_view listPath, std::string_view progressText) {
    out += "Found ";
    out += formatInt(count, "###,###");
    line(out, " results which matched all criteria (user name, file type and date range)<BR>");
    if (total != -1) {
        out += "out of ";
        out += formatInt(total, "###,###,###,###");
        out += " files which matched ";
        AppendHtml(out, searchUpper);
        out += " from the Dirroll ";
    } else {
        out += " [CHECK 'all' TOTAL] out of ALL files from the Dirroll ";
    }
    AppendHtml(out, listPath);
    line(out, "<BR>");
    AppendHtml(out, progressText);
    line(out, "<BR>");
    line(out, "<BR><BR><BR></BODY></HTML>");
}

void AppendResultEntry(std::string& out, std::string_view folder, std::string_view name, std::string_view path,
                       int style, std::string_view modified, std::string_view size, std::string_view owner,
                       int previewSize) {
    if (style < 0 || style > 3) {
        host().message("unknown output style");
        return;
    }
    if (!path.empty() && path[0] == ';') return;
    size_t slash = path.rfind('/');
    std::string_view n = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    std::string_view f = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
    bool sized = isSize(size);
    switch (style) {
    case kStyleWebStyle:
        out += "<a href=";
        fileHref(out, path);
        out += " target=new><B>";
        AppendHtml(out, n);
        out += "</a></B><BR>  ";
        AppendHtml(out, modified);
        out += "   <a href=";
        fileHref(out, f);
        out += " target=blank>";
        AppendHtml(out, f);
        out += "</a>    ";
        if (sized) {
            out += " (";
            AppendHtml(out, size);
            out += " bytes) ";
            if (!owner.empty()) {
                out += "[owned by ";
                AppendHtml(out, owner);
                out += ']';
            }
            out += " <br><br>";
        } else {
            out += " (empty file)  <br><br> ";
        }
        break;
    case kStyleSingleLine:
        out += "<a href=";
        fileHref(out, f);
        out += " target=new>";
        AppendHtml(out, f);
        out += "</a><a href=";
        fileHref(out, path);
        out += " target=new><B>";
        AppendHtml(out, n);
        out += "</a></B>   ";
        if (sized) {
            out += " (";
            AppendHtml(out, size);
            out += " bytes)  ";
        } else {
            out += " (empty file)  ";
        }
        out += ' ';
        AppendHtml(out, modified);
        out += "   <BR>";
        break;
    case kStyleTable:
        out += "<tr><TD><a href=";
        fileHref(out, path);
        out += " target=new><B>";
        appendShortName(out, n);
        out += "</a></B> </td><td>  ";
        if (sized)
            AppendHtml(out, size);
        else
            out += '0';
        out += "<td> ";
        AppendHtml(out, modified);
        out += "</td>   <td> <a href=";
        fileHref(out, f);
        out += " target=_blank>";
        AppendHtml(out, f);
        out += "</a><BR></td></tr> ";
        break;
    case kStylePreviewMode:
        if (isPicture(path)) {
            out += "  <a href=";
            plainHref(out, path);
            out += " target=new><B>";
            if (previewSize == 1) {
                out += "<IMG alt=";
            } else {
                out += "<IMG height=";
                out += std::to_string(previewSize);
                out += " alt=";
            }
            out += '"';
            AppendHtml(out, path);
            out += "\" src=";
            plainHref(out, path);
            out += "></a>";
        } else {
            out += "  <a href=";
            plainHref(out, folder);
            out += " target=new>";
            AppendHtml(out, folder);
            out += "</a><a href=";
            plainHref(out, path);
            out += " target=new><B>";
            AppendHtml(out, name);
            out += "</a></B>   ";
            if (sized) {
                out += " (";
                AppendHtml(out, size);
                out += " bytes)  ";
            } else {
                out += " (0 bytes)  ";
            }
            out += ' ';
            AppendHtml(out, modified);
            out += "<BR>   <BR>";
        }
        break;
    }
}

std::string FormatResultEntry(std::string_view folder, std::string_view name, std::string_view path, int style,
                              std::string_view modified, std::string_view size, std::string_view owner,
                              int previewSize) {
    std::string out;
    AppendResultEntry(out, folder, name, path, style, modified, size, owner, previewSize);
    return out;
}

std::string ResultsCaption(int64_t count) {
    if (count == 0) return "Findwright  - No Matches";
    return "Findwright  - " + formatInt(count, "###,###") + " Matches";
}

bool IsFindLink(std::string_view url, std::string& searchText) {
    if (url.size() < 4 || !iequals(url.substr(0, 4), "FIND")) return false;
    searchText.assign(url.substr(4));
    return true;
}

bool SaveSearchResults(const std::string& pagePath) {
    FileDialogRequest req;
    req.title = "Choose a name to save the List of Directories";
    req.startFolder = rt().programFolder;
    req.fileName = "*.HTM";
    req.defaultExt = "HTM";
    req.filter = "*.HTM";
    std::optional<std::string> name = host().saveFileDialog(req);
    if (!name || name->empty() || *name == "*.HTM") return false;
    bool ok = SafeFileCopy(pagePath, *name, true);
    host().setBusy(false);
    return ok;
}

void LaunchResultsInBrowser() { LaunchDocument(rt().sideFile(kResultsPage)); }

} // namespace dr::client
