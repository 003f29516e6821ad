#include "record_fields.h"

#include "store/records.h"

#include <cstdio>
#include <string>

namespace lntc::tool {

namespace {
// Record strings are single-byte; JSON wants UTF-8, so bytes above 127 are taken as Latin-1.
std::string toUtf8(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}
template <size_t N> std::string str(const char (&field)[N]) { return toUtf8(fieldText(field)); }
} // namespace

Json configToJson(const ServerConfig& c) {
    Json j;
    j["Magic"] = c.Magic;
    j["EnableNotes"] = c.EnableNotes;
    j["LogonRetries"] = c.LogonRetries;
    j["PrimaryCacheDir"] = str(c.PrimaryCacheDir);
    j["QueueDepth"] = c.QueueDepth;
    j["SuppressAnnotations"] = c.SuppressAnnotations;
    j["TempFilesDir"] = str(c.TempFilesDir);
    j["VerboseOnStartup"] = c.VerboseOnStartup;
    j["VerifyChecksum"] = c.VerifyChecksum;
    j["AutoDownload"] = c.AutoDownload;
    j["DefaultFont"] = str(c.DefaultFont);
    j["FormerCharset"] = c.FormerCharset;
    j["SystemCharset"] = c.SystemCharset;
    j["UseDocCharSet"] = c.UseDocCharSet;
    j["Organization"] = str(c.Organization);
    j["Domain"] = str(c.Domain);
    j["DefaultODR"] = str(c.DefaultODR);
    j["OdrSystemWord"] = c.OdrSystemWord;
    j["OdrRelease"] = c.OdrRelease;
    j["OdrGeneration"] = c.OdrGeneration;
    j["ConfigDir"] = str(c.ConfigDir);
    j["FontDir"] = str(c.FontDir);
    for (int i = 0; i < LNTC_FONT_COUNT; ++i) j["Font" + std::to_string(i + 1)] = str(c.Fonts[i]);
    j["QueueCount"] = c.QueueCount;
    j["TimeFormat"] = c.TimeFormat;
    j["TimeString"] = str(c.TimeString);
    j["InstalledKanji"] = c.InstalledKanji;
    j["InstalledGreek"] = c.InstalledGreek;
    j["UpdateTime"] = c.UpdateTime;
    j["FormScaling"] = c.FormScaling;
    j["COLDScaleFactor"] = c.COLDScaleFactor;
    return j;
}

Json queueToJson(const QueueRecord& q) {
    Json j;
    j["UpdateTime"] = q.UpdateTime;
    j["Name"] = str(q.Name);
    j["Printer"] = str(q.Printer);
    j["Description"] = str(q.Description);
    j["DeviceName"] = str(q.DeviceName);
    j["ImageHardware"] = str(q.ImageHardware);
    j["PrintDest"] = q.PrintDest;
    j["QDDefaultTray"] = q.QDDefaultTray;
    j["EjectTray"] = q.EjectTray;
    j["EjectTraySwitch"] = q.EjectTraySwitch;
    j["EjectTrayPages"] = q.EjectTrayPages;
    j["PrinterStatusTimeout"] = q.PrinterStatusTimeout;
    j["UseAlternateOrientation"] = q.UseAlternateOrientation;
    j["OverscanAmt"] = q.OverscanAmt;
    j["DuplexAvailable"] = q.DuplexAvailable;
    j["DuplexPrint"] = q.DuplexPrint;
    j["DuplexBinding"] = q.DuplexBinding;
    j["PrinterAlias"] = str(q.PrinterAlias);
    j["Tray1/Top"] = str(q.Tray1_Top);
    j["Tray2/Bottom"] = str(q.Tray2_Bottom);
    j["Tray3/Third"] = str(q.Tray3_Third);
    j["CenterImage"] = q.CenterImage;
    j["DataEncode"] = q.DataEncode;
    j["WaitTimeout"] = q.WaitTimeout;
    j["TCP_SocketNumber"] = q.TCP_SocketNumber;
    j["Connectivity"] = q.Connectivity;
    j["PrinterInitTimeout"] = q.PrinterInitTimeout;
    j["PaperTrays"] = q.PaperTrays;
    j["PSDefaultTray"] = q.PSDefaultTray;
    j["UseDisplayXform"] = q.UseDisplayXform;
    j["Rotate180"] = q.Rotate180;
    j["QDDefaultPaperSize"] = str(q.QDDefaultPaperSize);
    j["PSDefaultPaperSize"] = str(q.PSDefaultPaperSize);
    j["BestAvailPaperSizes"] = str(q.BestAvailPaperSizes);
    j["BestAvailPaperSizesCnt"] = q.BestAvailPaperSizesCnt;
    j["GlobalArea"] = q.GlobalArea;
    return j;
}

} // namespace lntc::tool
