#include "ui/qt/help_window.h"

#include <QTextBrowser>
#include <QVBoxLayout>

#include <fstream>
#include <sstream>

#include "resources/help_file.h"

namespace lntc {

namespace {

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::optional<std::string> readHelpFile(const std::string& file) {
    return readFile(file);
}

} // namespace

std::optional<HelpPage> FindHelpPage(std::string_view contents, uint32_t context) {
    auto topic = findHelpTopic(contents, context);
    if (!topic) return std::nullopt;
    return HelpPage{topic->context, topic->title, topic->text};
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
    setWindowFlags(Qt::Window);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    resize(420, 320);
}

void HelpWindow::showTopic(const std::string& file, uint32_t context) {
    auto contents = readHelpFile(file);
    std::optional<HelpPage> page;
    if (contents) page = FindHelpPage(*contents, context);
    QString title, body;
    if (!contents) {
        title = QStringLiteral("Help");
        body = QStringLiteral("The help file %1 could not be opened.")
                   .arg(QString::fromStdString(file));
    } else if (!page) {
        title = QStringLiteral("Help");
        body = QStringLiteral("There is no help for this item (context %1).").arg(context);
    } else {
        title = QString::fromStdString(page->title);
        body = QString::fromStdString(page->text);
    }
    setWindowTitle(title);
    QString html = "<h3>" + title.toHtmlEscaped() + "</h3>";
    for (const QString& para : body.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts))
        html += "<p>" + para.toHtmlEscaped() + "</p>";
    browser_->setHtml(html);
    setProperty("lntcTitle", title);
    setProperty("lntcText", body);
}

QString HelpWindow::shownTitle() const {
    return property("lntcTitle").toString();
}

QString HelpWindow::shownText() const {
    return property("lntcText").toString();
}

} // namespace lntc
