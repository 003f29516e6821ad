// The pieces of the configuration run around the main dialog: the queue fetch from the name
// service, the saved ODR name, new queues and the model dialogs, through the headless host.
#include "configure/configure.h"
#include "library/accessors.h"
#include "resources/ids.h"
#include "store/models.h"
#include "store/records.h"
#include "store/registry_access.h"
#include "support/test_library.h"
#include "ui/address_edit.h"
#include "ui/headless_host.h"
#include "ui/window_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

using namespace lntc;
using namespace lntc::test;

namespace {

// The name service as the fake answers it, with every listing call's capacity and server
// address noted, and the property of one queue unreadable.
struct Trace {
    std::vector<uint16_t> capacities;
    std::optional<RlkServerAddress> server;
};
Trace trace;
const char* const kUnreadable = "UNREADABLE";

uint32_t tracedList(const RlkServerAddress* server, const RlkName* pattern, uint32_t type,
                    RlkNameList* list, uint32_t reserved, RlkErrorRecord* error) {
    trace.capacities.push_back(list->capacity);
    trace.server = server ? std::optional<RlkServerAddress>(*server) : std::nullopt;
    return rlk::table().listObjects()(server, pattern, type, list, reserved, error);
}
uint32_t tracedRead(const RlkServerAddress* server, const RlkName* object, uint32_t property,
                    uint32_t a, uint32_t b, uint32_t c, uint8_t* buffer, uint32_t d,
                    RlkErrorRecord* error) {
    if (fieldText(object->object) == kUnreadable) return kRlkNoSuchProperty;
    return rlk::table().readProperty()(server, object, property, a, b, c, buffer, d, error);
}

class TracingProduct : public FakeProductLibs {
  public:
    int links = 0, unlinks = 0;
    uint32_t abstLink(const char* name, const RlkTable** table, uint32_t version) override {
        static const RlkTable traced = [] {
            RlkTable t = rlk::table();
            t.entries[6] = reinterpret_cast<void (*)()>(static_cast<RlkListObjectsFn>(tracedList));
            t.entries[15] =
                reinterpret_cast<void (*)()>(static_cast<RlkReadPropertyFn>(tracedRead));
            return t;
        }();
        uint32_t rc = FakeProductLibs::abstLink(name, table, version);
        if (rc == 0) {
            ++links;
            *table = &traced;
        }
        return rc;
    }
    void abstUnlink(const RlkTable** table) override {
        ++unlinks;
        FakeProductLibs::abstUnlink(table);
    }
};

// An ODR "Alpha:Quendal" with queues as (name, print server or "" for none).
std::string directory(const std::vector<std::pair<std::string, std::string>>& queues,
                      bool answers = true) {
    std::string text =
        R"({"odrs":[{"domain":"Alpha","organization":"Quendal","address":"10.1.2.3",)";
    text += answers ? R"("answers":true,"queues":[)" : R"("answers":false,"queues":[)";
    for (size_t i = 0; i < queues.size(); ++i) {
        text += i ? "," : "";
        text += R"({"name":")" + queues[i].first + "\"";
        if (!queues[i].second.empty()) text += R"(,"printServer":")" + queues[i].second + "\"";
        text += "}";
    }
    return text + "]}]}";
}

std::vector<std::pair<std::string, std::string>> numbered(int n, const std::string& server) {
    std::vector<std::pair<std::string, std::string>> out;
    for (int i = 0; i < n; ++i)
        out.push_back({"Q" + std::to_string(100 + i), server});
    return out;
}

TEST(OdrFetch, ListsTheQueuesOfThisServerWithADoublingList) {
    FakeMachine machine;
    RecordingHost host;
    Platform p;
    p.services = &machine.services;
    TracingProduct product;
    Library lib(p, product, host);

    const auto mixed = std::vector<std::pair<std::string, std::string>>{{"A", "testhost"},
                                                                        {"B", "elsewhere"},
                                                                        {"C", ""},
                                                                        {kUnreadable, "testhost"},
                                                                        {"D", "TESTHOST"}};
    const struct {
        std::string json;
        std::string address;
        uint32_t rc;
        size_t names;
        std::vector<uint16_t> capacities;
    } cases[] = {
        // Only queues that address this server, in order; unreadable or absent ones skipped.
        {directory(mixed), "", 0, 2, {10}},
        {directory(numbered(9, "testhost")), "", 0, 9, {10}},
        {directory(numbered(10, "testhost")), "", 0, 10, {10, 20}},
        {directory(numbered(41, "testhost")), "", 0, 41, {10, 20, 40, 80}},
        // A silent name server, reached directly at its address, or not at another one.
        {directory(numbered(3, "testhost"), false), "", kRlkNoAnswer, 0, {10}},
        {directory(numbered(3, "testhost"), false), "10.1.2.3", 0, 3, {10}},
        {directory(numbered(3, "testhost"), false), "10.1.2.4", kRlkNoAnswer, 0, {10}},
        {directory({}), "10.1.2", kRlkBadArgument, 0, {}},
    };
    for (const auto& k : cases) {
        trace = {};
        product.setDirectoryJson(k.json);
        std::vector<std::string> names{"stale"};
        EXPECT_EQ(FetchOdrQueueNames(lib, "Alpha:Quendal", k.address, names), k.rc) << k.json;
        EXPECT_EQ(names.size(), k.names) << k.json;
        EXPECT_EQ(trace.capacities, k.capacities) << k.json;
        EXPECT_EQ(product.links, product.unlinks);
        EXPECT_EQ(rlk::linkDepth(), 0);
        if (k.json == directory(mixed)) {
            EXPECT_EQ(names, (std::vector<std::string>{"A", "D"}));
        }
    }

    // The direct address record: marker, 0, 256a+b, 256c+d, the listed port or 32769.
    product.setDirectoryJson(directory({}));
    std::vector<std::string> names;
    for (auto [listed, port] : {std::pair<bool, uint16_t>{false, 32769}, {true, 4000}}) {
        if (listed) machine.services.ports["rlk"] = 4000;
        ASSERT_EQ(FetchOdrQueueNames(lib, "Alpha:Quendal", "10.1.2.3", names), 0u);
        ASSERT_TRUE(trace.server);
        EXPECT_EQ(trace.server->marker, 0xFFFFFFFFu);
        EXPECT_EQ(trace.server->zero, 0);
        EXPECT_EQ(trace.server->high, 10 * 256 + 1);
        EXPECT_EQ(trace.server->low, 2 * 256 + 3);
        EXPECT_EQ(trace.server->port, port);
    }

    // A link that fails is the result; nothing stays linked.
    product.scriptLinkResult(0x9C0000FF);
    EXPECT_EQ(FetchOdrQueueNames(lib, "Alpha:Quendal", "", names), 0x9C0000FFu);
    EXPECT_EQ(product.links, product.unlinks);
}

TEST(OdrNames, HostNameOfTheNameServer) {
    EXPECT_EQ(MakeRlkServerHostName("Alpha:Quendal"), "alpha-quendal-rlk-server");
    EXPECT_EQ(MakeRlkServerHostName("My Site:Org.1"), "mysite-org1-rlk-server");
}

class Pieces : public ::testing::Test {
  protected:
    FakeMachine machine;
    TestLibrary t{machine};
    HeadlessHost host;

    void SetUp() override {
        t.lib().setHost(host);
        host.onScriptError = [](const std::string& m) { ADD_FAILURE() << "script: " << m; };
    }
    // Queues in the registry, loaded into the shared slots.
    void queues(const std::vector<std::vector<std::string>>& rows) {
        for (const auto& r : rows) {
            const std::string key = productPath("Queues\\" + r[0]);
            machine.registry.setString(key, "Printer", r[1]);
            machine.registry.setString(key, "PrinterAlias", r[2]);
            machine.registry.setString(key, "Description", r[3]);
            machine.registry.setString(key, "DeviceName", "DEV_" + r[0]);
        }
        const ServerConfig* c = nullptr;
        ASSERT_EQ(GetConfig(t.lib(), &c, LNTC_CONFIG_VERSION), 0u);
    }
    std::vector<std::string> boxTexts() const {
        std::vector<std::string> out;
        for (const auto& b : host.boxes)
            out.push_back(b.text);
        return out;
    }
};

TEST_F(Pieces, NewQueueDefaultsFollowTheModelClass) {
    const struct {
        int model;
        const char *printer, *alias, *module, *device;
        uint32_t connectivity, encode;
        uint16_t wait, socket, trays;
    } cases[] = {
        {1, "HP_LASERJET_4M", "", "LJA", "LPT1:", 2, 0, 300, 9100, 0},
        {5, "RICOH_LP-M20", "", "ENGA", "\\\\.\\QSCRIPT0", 0, 0, 0, 0, 3},
        {7, "XEROX_8840C", "", "LDPX", "\\\\.\\QSCRIPT0", 0, 0, 0, 0, 3},
        {14, "OTHER", "GENERIC_POSTSCRIPT", "GNX", "LPT1:", 2, 2, 300, 9100, 0},
    };
    for (const auto& k : cases) {
        QueueRecord q{};
        InitNewQueueRecord(k.model, "NEWQ", "a queue", q);
        EXPECT_STREQ(q.Printer, k.printer) << k.model;
        EXPECT_STREQ(q.PrinterAlias, k.alias) << k.model;
        EXPECT_STREQ(q.ImageHardware, k.module) << k.model;
        EXPECT_STREQ(q.DeviceName, k.device) << k.model;
        EXPECT_EQ(ModelIndexOfQueue(q), k.model);
        EXPECT_EQ(std::string(q.Name) + "/" + q.Description, "NEWQ/a queue");
        EXPECT_EQ(q.Connectivity, k.connectivity) << k.model;
        EXPECT_EQ(q.DataEncode, k.encode) << k.model;
        EXPECT_EQ(q.WaitTimeout, k.wait) << k.model;
        EXPECT_EQ(q.TCP_SocketNumber, k.socket) << k.model;
        EXPECT_EQ(q.PaperTrays, k.trays) << k.model;
        EXPECT_EQ(q.PrintDest, 1u);
        EXPECT_EQ(q.EjectTraySwitch * 10000 + q.EjectTrayPages, 11000u);
        EXPECT_EQ(q.OverscanAmt, 5.0);
        EXPECT_EQ(q.QDDefaultTray + q.EjectTray + q.PSDefaultTray, -3);
    }
}

TEST_F(Pieces, SameModelByKeyOrByTheAliasOfAnOtherQueue) {
    const struct {
        const char *printer, *alias;
        int model;
        bool same;
    } cases[] = {
        {"HP_LASERJET_4M", "", 1, true},  {"HP_LASERJET_4M", "", 2, false},
        {"hp_laserjet_4m", "", 1, false}, {"OTHER", "GENERIC_POSTSCRIPT", 14, true},
        {"OTHER", "", 14, false},         {"HP_LASERJET_4M", "GENERIC_POSTSCRIPT", 14, false},
    };
    for (const auto& k : cases) {
        QueueRecord q{};
        setField(q.Printer, k.printer);
        setField(q.PrinterAlias, k.alias);
        EXPECT_EQ(SameModel(q, k.model), k.same) << k.printer << " " << k.alias << " " << k.model;
    }
    queues({{"PS1", "OTHER", "GENERIC_POSTSCRIPT", ""}, {"LJ", "HP_LASERJET_4MV", "", ""}});
    EXPECT_TRUE(HasQueueOfModel(t.lib(), 14));
    EXPECT_TRUE(HasQueueOfModel(t.lib(), 3));
    EXPECT_FALSE(HasQueueOfModel(t.lib(), 1));

    EXPECT_FALSE(AdministratorRunning(t.lib()));
    machine.windows.add("LINTORA ADMINISTRATOR", "another program's class");
    EXPECT_TRUE(AdministratorRunning(t.lib()));
}

TEST_F(Pieces, ImportListsQueuesOfTheModelAndCopiesTheChosenOne) {
    queues({{"B_Q", "HP_LASERJET_4M", "", "second"},
            {"A_Q", "HP_LASERJET_4M", "", ""},
            {"R_Q", "RICOH_LP-M20", "", "ricoh"}});
    QueueRecord q{};
    InitNewQueueRecord(1, "NEWQ", "fresh", q);
    q.GlobalArea = 0;
    ImportQueueDialog d(t.lib(), nullptr, 1, q);
    host.script(dlg::ImportQueue)
        .then([](const ModelWindow& w) {
            EXPECT_EQ(
                w.at(importctl::From).itemTexts(),
                (std::vector<std::string>{"A_Q,   <no description text>", "B_Q,   \"second\""}));
            EXPECT_EQ(w.at(importctl::From).curSel, 0);
            EXPECT_EQ(w.at(importctl::To).text, "NEWQ,   \"fresh\"");
        })
        .select(importctl::From, 1)
        .ok()  // No: stays
        .ok(); // Yes
    host.answerWhen("Import configuration from queue B_Q to queue NEWQ?", id::No);
    host.answerWhen("Import configuration from queue B_Q to queue NEWQ?", id::Yes);
    EXPECT_EQ(d.doModal(), kQueueImported);
    const QueueRecord* source = nullptr;
    ASSERT_EQ(GetQueue(t.lib(), "B_Q", &source, LNTC_QUEUE_VERSION), 0u);
    EXPECT_STREQ(q.Name, "NEWQ");
    EXPECT_STREQ(q.Description, "fresh");
    EXPECT_STREQ(q.DeviceName, "DEV_B_Q");
    EXPECT_EQ(q.UpdateTime, source->UpdateTime);
    EXPECT_NE(source->GlobalArea, 0u);
    EXPECT_EQ(q.GlobalArea, 0u); // not the source's area
}

TEST_F(Pieces, NewQueueCreatesImportsOrCancels) {
    queues({{"OLD", "HP_LASERJET_4M", "", "old"}});
    using Script = std::function<void(HeadlessHost&)>;
    const struct {
        const char* what;
        Script script;
        int result;
        const char* device; // the record afterwards
    } cases[] = {
        {"create", [](HeadlessHost& h) { h.script(dlg::NewQueue).ok(); }, id::Ok, "LPT1:"},
        {"cancel", [](HeadlessHost& h) { h.script(dlg::NewQueue).cancel(); }, id::Cancel, "LPT1:"},
        {"import cancelled",
         [](HeadlessHost& h) {
             h.script(dlg::NewQueue).click(newqueuectl::Import).cancel();
             h.script(dlg::ImportQueue).cancel();
         },
         id::Cancel, "LPT1:"},
        {"import",
         [](HeadlessHost& h) {
             h.script(dlg::NewQueue).click(newqueuectl::Import);
             h.script(dlg::ImportQueue).ok();
             h.answer(id::Yes);
         },
         kQueueImported, "DEV_OLD"},
    };
    for (const auto& k : cases) {
        QueueRecord q{};
        InitNewQueueRecord(1, "NEWQ", "", q);
        k.script(host);
        NewQueueDialog d(t.lib(), nullptr, 1, q);
        EXPECT_EQ(d.doModal(), k.result) << k.what;
        EXPECT_STREQ(q.DeviceName, k.device) << k.what;
        EXPECT_STREQ(q.Name, "NEWQ") << k.what;
    }

    // A read-only registry leaves only Cancel.
    t->readOnlyRegistry = true;
    QueueRecord q{};
    NewQueueDialog d(t.lib(), nullptr, 1, q);
    host.script(dlg::NewQueue)
        .then([](const ModelWindow& w) {
            EXPECT_FALSE(w.at(ctl::Ok).enabled);
            EXPECT_FALSE(w.at(newqueuectl::Import).enabled);
            EXPECT_EQ(w.defaultButton, ctl::Cancel);
        })
        .cancel();
    EXPECT_EQ(d.doModal(), id::Cancel);
}

TEST_F(Pieces, OtherModelNeedsItsModule) {
    EXPECT_EQ(ModelModulePath(t.lib(), 1), "C:\\qdsw\\lnt\\bin\\LJA.dll");
    EXPECT_EQ(ModelModulePath(t.lib(), -1), "C:\\qdsw\\lnt\\bin\\NONE.dll");
    EXPECT_FALSE(ModelInstalled(t.lib(), 14));

    OtherModelDialog missing(t.lib(), nullptr, "PSQ");
    host.script(dlg::OtherModel)
        .then([](const ModelWindow& w) {
            EXPECT_EQ(w.at(othermodelctl::QueueName).text, "PSQ");
            EXPECT_TRUE(w.at(othermodelctl::Model).items.empty());
        })
        .ok() // nothing to choose: stays
        .cancel();
    EXPECT_EQ(missing.doModal(), id::Cancel);
    EXPECT_EQ(missing.model(), kNoModel);
    EXPECT_EQ(boxTexts(),
              (std::vector<std::string>{
                  "The GNX.DLL is not installed.  This file is required in order to configure "
                  "Generic PostScript Level 2 printers.  Please contact your system "
                  "administrator immediately.",
                  "Please select a printer model."}));

    machine.files.addFile("C:\\qdsw\\lnt\\bin\\GNX.dll", "");
    EXPECT_TRUE(ModelInstalled(t.lib(), 14));
    OtherModelDialog installed(t.lib(), nullptr, "PSQ");
    host.script(dlg::OtherModel)
        .then([](const ModelWindow& w) {
            EXPECT_EQ(w.at(othermodelctl::Model).curSel, 0);
            EXPECT_EQ(w.at(othermodelctl::Model).itemTexts(),
                      std::vector<std::string>{"Generic PostScript Level 2"});
        })
        .ok();
    EXPECT_EQ(installed.doModal(), id::Ok);
    EXPECT_EQ(installed.model(), 14);
    EXPECT_EQ(host.boxes.size(), 2u);
}

TEST_F(Pieces, EachModelClassOpensItsDialog) {
    t.lib().defaultMedia.reset(new DefaultMedia[kModelCount]()); // no media table needed
    for (auto [model, dialog] : {std::pair{1, dlg::PrinterConfig},
                                 {14, dlg::PrinterConfig},
                                 {5, dlg::LargeDocConfig},
                                 {8, dlg::LargeDocConfig}}) {
        QueueRecord q{};
        InitNewQueueRecord(model, "Q", "", q);
        host.script(dialog).cancel();
        EXPECT_EQ(RunModelDialog(t.lib(), nullptr, model, q), id::Cancel) << model;
        EXPECT_NE(host.closed(dialog), nullptr) << model;
    }
}

TEST_F(Pieces, AddressDialogProposesAnAddressAndTakesTheTypedOne) {
    for (auto [proposed, shown] :
         {std::pair<const char*, const char*>{"", "0.0.0.0"}, {"10.1.2.3", "10.1.2.3"}}) {
        OdrAddressDialog d(t.lib(), nullptr, "Alpha:Quendal", proposed);
        host.script(dlg::OdrAddress)
            .then([shown = std::string(shown)](const ModelWindow& w) {
                EXPECT_EQ(w.at(odrctl::OdrName).text, "Alpha:Quendal");
                EXPECT_EQ(w.at(odrctl::Address).address->text(), shown);
            })
            .type(odrctl::Address, "192.168.7.9")
            .ok();
        EXPECT_EQ(d.doModal(), id::Ok);
        EXPECT_EQ(d.address(), "192.168.7.9");
    }
    // A window class of that name that is not the address control's: said, and it opens.
    HeadlessHost other;
    t.lib().setHost(other);
    other.classes.registerClass(kAddressEditClass, this);
    OdrAddressDialog d(t.lib(), nullptr, "Alpha:Quendal", "");
    other.script(dlg::OdrAddress).cancel();
    EXPECT_EQ(d.doModal(), id::Cancel);
    ASSERT_EQ(other.boxes.size(), 1u);
    EXPECT_EQ(other.boxes[0].text, "Failed to register WNDCLASS for parsed control");
}

TEST_F(Pieces, SavingTheOdrNameAndItsFailures) {
    const std::string odrKey = kOdrRootPath;
    EXPECT_TRUE(SaveOdrNameToRegistry(t.lib(), nullptr, "Beta:Org"));
    EXPECT_EQ(getString(machine.registry, odrKey, "RLKDomain"), "Beta:Org");

    machine.registry.failNext(MemoryRegistry::Op::CreateKey, 5);
    EXPECT_FALSE(SaveOdrNameToRegistry(t.lib(), nullptr, "Gamma:Org"));
    EXPECT_TRUE(t.logged("LNTC: Error creating registration key"));
    EXPECT_TRUE(host.boxes.empty());

    machine.registry.failNext(MemoryRegistry::Op::SetValue, 5);
    EXPECT_FALSE(SaveOdrNameToRegistry(t.lib(), nullptr, "Gamma:Org"));
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{
                              "Access is denied.",
                              "Error writing the default ODR name 'Gamma:Org' to the Registry."}));
    EXPECT_EQ(getString(machine.registry, odrKey, "RLKDomain"), "Beta:Org");
}

TEST(SavedOdrName, TheNextStartTakesItsNamePartsOverTheNameServiceDefault) {
    const struct {
        const char* saved; // nullptr: none
        const char* name;
        uint16_t charset; // from the ODR that the name reaches
    } cases[] = {
        {nullptr, "Alpha:Quendal", 2}, {"Beta:Org", "Beta:Org", 42},
        {"Beta", "Beta:Quendal", 0},   {":Org", "Alpha:Quendal", 2},
        {"Beta:", "Alpha:Quendal", 2}, {"Beta:OrganisationNameTooLong", "Alpha:Quendal", 2},
    };
    for (const auto& k : cases) {
        FakeMachine machine;
        {
            TestLibrary first(machine);
            if (k.saved) {
                ASSERT_TRUE(SaveOdrNameToRegistry(first.lib(), nullptr, k.saved));
            }
        }
        TestLibrary next(machine); // the sections went with the first
        next.product.setDirectoryJson(R"({"default":"Alpha:Quendal","odrs":[
            {"domain":"Alpha","organization":"Quendal","systemDefaults":{"charset":2}},
            {"domain":"Beta","organization":"Org","systemDefaults":{"charset":42}},
            {"domain":"Beta","organization":"Quendal"}]})");
        const ServerConfig* c = nullptr;
        GetConfig(next.lib(), &c, LNTC_CONFIG_VERSION);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(std::string(c->Domain) + ":" + c->Organization, k.name) << k.saved;
        EXPECT_EQ(c->SystemCharset, k.charset) << k.saved;
    }
}

} // namespace
