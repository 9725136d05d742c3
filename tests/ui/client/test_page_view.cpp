// The page view: local pages only, links handed out as written, nothing from
// the network.
#include <QImage>
#include <QPixmap>
#include <QTextDocument>
#include <sys/stat.h>

#include "client_window_fixture.h"

using namespace drtest;
using dr::ui::PageLink;
using dr::ui::PageView;

namespace {

class PageViewTest : public ::testing::Test {
protected:
    PageViewTest() {
        view.resize(500, 300);
        view.show();
        view.onLink = [this](const PageLink& l) { links.push_back(l); };
    }
    QApplication& app = qtApp(); // before the first widget
    TestEnv env{dr::DateTime{2026, 12, 11, 10, 30, 0}, "dr-client"};
    PageView view;
    std::vector<PageLink> links;
};

} // namespace

TEST_F(PageViewTest, ShowsLocalPagesAndBlank) {
    env.write("page.htm", "<html><body><p>Hello there</p></body></html>");
    for (const std::string& url : {"file:///" + env.path("page.htm"), "file://" + env.path("page.htm"), env.path("page.htm")}) {
        SCOPED_TRACE(url);
        ASSERT_TRUE(view.navigate(QString::fromStdString(url)));
        EXPECT_EQ(view.toPlainText(), "Hello there");
        EXPECT_EQ(view.localFile().toStdString(), env.path("page.htm"));
        ASSERT_TRUE(view.navigate("about:blank"));
        EXPECT_EQ(view.toPlainText(), "");
        EXPECT_EQ(view.location(), "about:blank");
        EXPECT_EQ(view.localFile(), "");
    }
}

TEST_F(PageViewTest, RefusesEverythingButLocalFiles) {
    env.write("page.htm", "<p>kept</p>");
    ASSERT_TRUE(view.navigate(QString::fromStdString(env.path("page.htm"))));
    for (const char* url : {"http://example.com/", "https://example.com/x.htm", "ftp://example.com/",
                            "file://server/share/x.htm", "javascript:alert(1)", "relative/page.htm"}) {
        EXPECT_FALSE(view.navigate(url)) << url;
        EXPECT_EQ(view.toPlainText(), "kept") << url;
    }
    // Pictures and style sheets of a page do not come from the network either.
    for (int type : {int(QTextDocument::ImageResource), int(QTextDocument::StyleSheetResource)})
        EXPECT_FALSE(view.document()->resource(type, QUrl("http://example.com/x.png")).isValid());
}

TEST_F(PageViewTest, LoadsLocalPicturesOfAPage) {
    QImage img(8, 6, QImage::Format_RGB32);
    img.fill(Qt::red);
    ASSERT_TRUE(img.save(QString::fromStdString(env.path("pic.png"))));
    env.write("page.htm", "<img src=\"" + env.path("pic.png") + "\"><img src=\"http://example.com/y.png\">");
    ASSERT_TRUE(view.navigate(QString::fromStdString(env.path("page.htm"))));
    QVariant local = view.document()->resource(QTextDocument::ImageResource, QUrl(QString::fromStdString(env.path("pic.png"))));
    EXPECT_TRUE(local.isValid());
    // A picture named relative to the page comes from the page's folder.
    QVariant rel = view.document()->resource(QTextDocument::ImageResource, QUrl("pic.png"));
    QImage relImage = rel.typeId() == QMetaType::QByteArray ? QImage::fromData(rel.toByteArray())
                                                            : rel.value<QPixmap>().toImage();
    EXPECT_EQ(relImage.width(), 8);
}

TEST_F(PageViewTest, PicturesThatAreNoRegularFilesAreNotRead) {
    // A pipe would block the window forever, a device would never end.
    const std::string pipe = env.path("pipe.png");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& src : {pipe, std::string("/dev/zero")}) {
        SCOPED_TRACE(src);
        env.write("page.htm", "<p>shown</p><img src=\"" + src + "\">");
        ASSERT_TRUE(view.navigate(QString::fromStdString(env.path("page.htm"))));
        view.repaint();
        EXPECT_EQ(view.toPlainText().left(5), "shown");
        EXPECT_TRUE(view.document()->resource(QTextDocument::ImageResource, QUrl(QString::fromStdString(src))).toByteArray().isEmpty());
    }
}

TEST_F(PageViewTest, LinksAreHandedOutAsWrittenAndNeverFollowed) {
    env.write("page.htm", "<p><a href=\"FINDreport 2026\">find</a> <a href=\"file:///tmp/x%20y.txt\">file</a> "
                          "<a href=\"notes/a.txt\">relative</a> <a href=\"#bottom\">down</a></p>"
                          "<p style=\"margin-top:2000px\"><a name=\"bottom\"></a>end</p>");
    ASSERT_TRUE(view.navigate(QString::fromStdString(env.path("page.htm"))));
    ASSERT_TRUE(clickLink(view, "2026"));
    ASSERT_TRUE(clickLink(view, "y.txt"));
    ASSERT_TRUE(clickLink(view, "a.txt"));
    ASSERT_TRUE(clickLink(view, "#bottom")); // only scrolls
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[0].href, "FINDreport 2026");
    EXPECT_EQ(links[1].url.toLocalFile(), "/tmp/x y.txt");
    EXPECT_EQ(links[2].url.toLocalFile().toStdString(), env.path("notes/a.txt"));
    EXPECT_EQ(view.localFile().toStdString(), env.path("page.htm"));
    EXPECT_EQ(PageView::localPathOf(links[1].href), "/tmp/x y.txt");
    // Plain paths, as Preview mode and the folders box write them.
    EXPECT_EQ(PageView::localPathOf("/tmp/caf%C3%A9%23 1.txt"), QString::fromUtf8("/tmp/caf\xc3\xa9# 1.txt"));
}

TEST_F(PageViewTest, ReadsPagesInUtf8OrLatin1) {
    env.write("utf8.htm", "<p>caf\xc3\xa9</p>");
    env.write("latin1.htm", "<p>caf\xe9</p>");
    for (const char* name : {"utf8.htm", "latin1.htm"}) {
        ASSERT_TRUE(view.navigate(QString::fromStdString(env.path(name))));
        EXPECT_EQ(view.toPlainText(), QString::fromUtf8("caf\xc3\xa9")) << name;
    }
}

TEST(PageTidyMarkup, ReadsThePagesAsALenientBrowserDoes) {
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        // A row closed twice would end the enclosing table.
        {"<TABLE><TR><TD><TABLE><TR><TD>x</TD></TR>\r\n</TR></TABLE></TD><TD>y</TD></TR></TABLE>",
         "<TABLE><TR><TD><TABLE><TR><TD>x</TD></TR>\r\n</TABLE></TD><TD>y</TD></TR></TABLE>"},
        // Rows left open are closed by the next row or the table's end.
        {"<table><TR><TD>a</TD>\r\n<TR><TD>b</TD>\r\n</TR></table>", "<table><TR><TD>a</TD>\r\n<TR><TD>b</TD>\r\n</TR></table>"},
        {"<td>  0<td> x</td></td></tr>", "<td>  0<td> x"},
        {"</table><p>text</p>", "<p>text</p>"},
        {"<table width=50%><tr><TD valign=top>in</td></tr></table>", "<table width=50%><tr><TD valign=top>in</td></tr></table>"},
        {"<trace>and <tdx> stay</tdx>", "<trace>and <tdx> stay</tdx>"},
        // A line break after a heading would pull the next inline tag into it.
        {"<H3>Summary</H3>\r\n<FONT size=1>updated</font><BR>", "<H3>Summary</H3><FONT size=1>updated</font><BR>"},
        {"<H3>Search</H3>\r\nSearching in <B>x</B>", "<H3>Search</H3>\r\nSearching in <B>x</B>"},
        {"<p>one</p> \r\n <b>two</b>", "<p>one</p><b>two</b>"},
        // The last cell of a table-mode row ends with a line break.
        {"<table><tr><td> <a href=\"f\">f</a><BR></td></tr> </table>",
         "<table><tr><td> <a href=\"f\">f</a></td></tr> </table>"},
        {"<table><tr><td>a<BR>b<br/>\r\n</TD></tr></table>", "<table><tr><td>a<BR>b</TD></tr></table>"},
    };
    for (const Case& k : cases) EXPECT_EQ(PageView::tidyMarkup(k.in).toStdString(), k.out) << k.in;
}
