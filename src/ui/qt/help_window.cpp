#include "ui/qt/help_window.h"

#include <QTextBrowser>
#include <QVBoxLayout>

#include <fstream>
#include <sstream>

#ifdef LNTC_HAVE_HELP_FILE
#include "resources/help_file.h"
#endif

namespace lntc {

namespace {

#ifndef LNTC_HAVE_HELP_FILE
// "[number] title": the topic line of the help file format.
bool topicLine(std::string_view line, uint32_t& context, std::string& title) {
    if (line.size() < 3 || line[0] != '[') return false;
    size_t close = line.find(']');
    if (close == std::string_view::npos || close == 1 || close > 11) return false;
    uint64_t value = 0;
    for (size_t i = 1; i < close; ++i) {
        if (line[i] < '0' || line[i] > '9') return false;
        value = value * 10 + static_cast<uint64_t>(line[i] - '0');
    }
    if (value > UINT32_MAX) return false;
    std::string_view rest = line.substr(close + 1);
    if (!rest.empty() && rest[0] != ' ' && rest[0] != '\t') return false;
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
        rest.remove_prefix(1);
    context = static_cast<uint32_t>(value);
    title = std::string(rest);
    return true;
}
#endif

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The library's help path keeps the original ".HLP"; the file may be named in lower case
// or carry ".txt" after it.
std::optional<std::string> readHelpFile(const std::string& file) {
    if (auto text = readFile(file)) return text;
    std::string lower = file;
    size_t dot = lower.rfind('.');
    if (dot != std::string::npos && lower.find('/', dot) == std::string::npos)
        for (size_t i = dot; i < lower.size(); ++i)
            lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[i])));
    for (const std::string& candidate : {lower, lower + ".txt", file + ".txt"})
        if (auto text = readFile(candidate)) return text;
    return std::nullopt;
}

} // namespace

std::optional<HelpPage> FindHelpPage(std::string_view contents, uint32_t context) {
#ifdef LNTC_HAVE_HELP_FILE
    auto topic = findHelpTopic(contents, context);
    if (!topic) return std::nullopt;
    return HelpPage{topic->context, topic->title, topic->text};
#else
    std::optional<HelpPage> page;
    std::string paragraph;
    auto flush = [&] {
        if (!page || paragraph.empty()) return;
        if (!page->text.empty()) page->text += "\n\n";
        page->text += paragraph;
        paragraph.clear();
    };
    size_t pos = 0;
    while (pos <= contents.size()) {
        size_t end = contents.find('\n', pos);
        if (end == std::string_view::npos) end = contents.size();
        std::string_view line = contents.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos = end + 1;
        uint32_t ctx = 0;
        std::string title;
        if (!line.empty() && line[0] == '#') continue;
        if (topicLine(line, ctx, title)) {
            if (page) break; // the topic ends at the next one
            if (ctx == context) page = HelpPage{ctx, title, {}};
            continue;
        }
        if (!page) continue;
        if (line.find_first_not_of(" \t") == std::string_view::npos) {
            flush();
            continue;
        }
        if (line[0] == '\\') line.remove_prefix(1);
        if (!paragraph.empty()) paragraph += ' ';
        paragraph += line;
    }
    flush();
    return page;
#endif
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
