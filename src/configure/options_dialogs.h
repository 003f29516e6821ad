// The fonts and general options dialogs of the configuration run. Both edit the run's working
// copy of the server record and write into it only when they end with OK.
#pragma once
#include "configure/configure.h"

#include <cstdint>
#include <string>

namespace lntc {

// Character sets, the default font of Kanji and Greek installations, and the PostScript
// font directory (template 700).
class FontsDialog : public HelpDialog {
  public:
    FontsDialog(const Services& svc, Dialog* parent, ServerConfig& working);

  protected:
    bool onInitDialog() override;
    void onOK() override;
    void onCommand(int id, Notify code) override;
    void onScroll(int id, Scroll code) override;
    void doDataExchange(DataExchange& dx) override;

  private:
    void updateFontControls();
    // The code of the first checked character-set button.
    uint16_t checkedCharset();

    Services svc_;
    ServerConfig& working_;
    int autoDownload_;
    std::string fontName_;
    int pointSize_ = 16;
    std::string fontDir_;
    int alwaysDefault_;
};

// Cache and temporary directories, the page limit, the date/time format and four switches
// (template 800).
class GeneralOptionsDialog : public HelpDialog {
  public:
    GeneralOptionsDialog(const Services& svc, Dialog* parent, ServerConfig& working);

  protected:
    bool onInitDialog() override;
    void onOK() override;
    void onScroll(int id, Scroll code) override;
    void doDataExchange(DataExchange& dx) override;

  private:
    Services svc_;
    ServerConfig& working_;
    int verifyChecksum_, enableNotes_, suppressAnnotations_, verbose_;
    uint32_t queueDepth_;
    std::string tempDir_, cacheDir_;
};

} // namespace lntc
