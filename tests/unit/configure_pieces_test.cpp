// The pieces of the configuration run around the main dialog: the queue fetch from the name
// service, the saved ODR name, new queues and the model dialogs, through the headless host.
#include "configure/configure.h"
#include "library/accessors.h"
#include "library/admin/regfile.h"
#include "resources/formats.h"
#include "store/models.h"
#include "store/records.h"
#include "store/registry_access.h"
#include "store/shared_records.h"
#include "support/ui_support.h"
#include "ui/address_edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace lntc;
using namespace lntc::test;

namespace {

using Texts = std::vector<std::string>;

// Every listing call's capacity, and the server address of the last one.
std::vector<uint16_t> capacities;
std::vector<uint32_t> server;
// Non-zero: the name service lists this many (blank) names instead.
uint32_t pretendListed = 0;

uint32_t tracedList(const RlkServerAddress* s, const RlkName* pattern, uint32_t type,
                    RlkNameList* list, uint32_t reserved, RlkErrorRecord* error) {
    capacities.push_back(list->capacity);
    server = s ? std::vector<uint32_t>{s->marker, s->zero, s->high, s->low, s->port}
               : std::vector<uint32_t>{};
    if (pretendListed != 0) {
        list->count = static_cast<uint16_t>(std::min<uint32_t>(pretendListed, list->capacity));
        return 0;
    }
    return rlk::table().listObjects()(s, pattern, type, list, reserved, error);
}

struct TracingProduct : FakeProductLibs {
    uint32_t abstLink(const char* name, const RlkTable** table, uint32_t version) override {
        static const RlkTable traced = [] {
            RlkTable t = rlk::table();
            t.entries[6] = reinterpret_cast<void (*)()>(static_cast<RlkListObjectsFn>(tracedList));
            return t;
        }();
        const uint32_t rc = FakeProductLibs::abstLink(name, table, version);
        if (rc == 0) *table = &traced;
        return rc;
    }
};

// An ODR "Alpha:Quendal" with queues written "NAME" or "NAME@PRINTSERVER".
std::string directory(const Texts& queues, bool answers = true) {
    std::string text = R"({"odrs":[{"domain":"Alpha","organization":"Quendal",)";
    text += R"("address":"10.1.2.3","answers":)" + std::string(answers ? "true" : "false");
    text += R"(,"queues":[)";
    for (const std::string& q : queues) {
        const size_t at = q.find('@');
        text += (&q == queues.data() ? "" : ",") + std::string(R"({"name":")") + q.substr(0, at);
        text += at == std::string::npos ? "\"}" : R"(","printServer":")" + q.substr(at + 1) + "\"}";
    }
    return text + "]}]}";
}

Texts numbered(int n, const std::string& suffix = "") {
    Texts out;
    for (int i = 0; i < n; ++i)
        out.push_back("Q" + std::to_string(100 + i) + suffix);
    return out;
}

TEST(OdrFetch, ListsTheQueuesOfThisServerWithADoublingList) {
    FakeMachine machine;
    RecordingHost host;
    FakeEnvironment env;
    Platform p{&machine.registry, &machine.sections, &machine.files, &env, &machine.clock};
    p.services = &machine.services;
    TracingProduct product;
    Library lib(p, product, host);
    const Texts silent = numbered(3, "@testhost");
    // clang-format off
    const struct { std::string json; const char* address; uint32_t rc; Texts names; std::vector<uint16_t> capacities; } cases[] = {
        // Only queues that address this server, in order; those without one skipped.
        {directory({"A@testhost", "B@elsewhere", "C", "D@TESTHOST", "E@testhost2"}), "", 0, {"A", "D"}, {10}},
        {directory(numbered(10, "@testhost")), "", 0, numbered(10), {10, 20}},
        {directory(numbered(41, "@testhost")), "", 0, numbered(41), {10, 20, 40, 80}},
        // A silent name server, not reached at another address, or directly at its own.
        {directory(silent, false), "", kRlkNoAnswer, {}, {10}},
        {directory(silent, false), "10.1.2.4", kRlkNoAnswer, {}, {10}},
        {directory(silent, false), "10.1.2.3", 0, numbered(3), {10}},
        {directory({}), "10.1.2", kRlkBadArgument, {}, {}},
    };
    // clang-format on
    for (const auto& k : cases) {
        capacities.clear();
        product.setDirectoryJson(k.json);
        Texts names{"stale"};
        EXPECT_EQ(FetchOdrQueueNames(lib.services(), "Alpha:Quendal", k.address, names), k.rc)
            << k.json;
        EXPECT_EQ(std::tuple(names, capacities, rlk::linkDepth()),
                  std::tuple(k.names, k.capacities, 0))
            << k.json;
    }
    // The direct address record of 10.1.2.3 (the last call above), with the listed port when
    // there is one.
    EXPECT_EQ(server, (std::vector<uint32_t>{0xFFFFFFFFu, 0, 10 * 256 + 1, 2 * 256 + 3, 32769}));
    machine.services.ports["rlk"] = 4000;
    Texts names;
    EXPECT_EQ(FetchOdrQueueNames(lib.services(), "Alpha:Quendal", "10.1.2.3", names), 0u);
    EXPECT_EQ(server, (std::vector<uint32_t>{0xFFFFFFFFu, 0, 10 * 256 + 1, 2 * 256 + 3, 4000}));
    product.scriptLinkResult(0x9C0000FF); // a link that fails is the result
    EXPECT_EQ(FetchOdrQueueNames(lib.services(), "Alpha:Quendal", "", names), 0x9C0000FFu);
    EXPECT_EQ(MakeRlkServerHostName("Alpha:Quendal") + MakeRlkServerHostName("My Site:Org.1"),
              "alpha-quendal-rlk-servermysite-org1-rlk-server");

    // The 16-bit list cannot ask for more than 65,535 names: a full one is logged.
    product.scriptLinkResult(0);
    for (uint32_t listed : {65534u, 65535u}) {
        pretendListed = listed;
        FetchOdrQueueNames(lib.services(), "Alpha:Quendal", "", names);
    }
    pretendListed = 0;
    EXPECT_EQ(product.errors.size() == 1 ? product.errors[0].text : "",
              "LNTC: The ODR 'Alpha:Quendal' lists 65535 print queues, the most that can be asked "
              "for; any further queues were left out");
}

struct Pieces : ::testing::Test, HeadlessLibrary {
    Pieces() : HeadlessLibrary(false) {}
};

// A new queue of each model class: the whole record, and what saving it writes; each opens its
// own dialog, and no other.
TEST_F(Pieces, NewQueueOfEachModelClassItsRecordItsSaveAndItsDialog) {
    t.lib().setDefaultMedia(std::make_unique<DefaultMedia[]>(kModelCount)); // no media table needed
    const std::pair<int, uint16_t> cases[] = {{1, dlg::PrinterConfig},
                                              {5, dlg::LargeDocConfig},
                                              {7, dlg::LargeDocConfig},
                                              {14, dlg::PrinterConfig}};
    const ServerConfig* config = nullptr;
    ASSERT_EQ(GetConfig(t.lib(), &config, LNTC_CONFIG_VERSION), 0u);
    std::vector<QueueRecord> records;
    for (const auto& [model, dialog] : cases) {
        QueueRecord& q = records.emplace_back();
        InitNewQueueRecord(model, "NEWQ" + std::to_string(model), "a queue", q);
        QueueRecord copy = q;
        EXPECT_TRUE(t.lib().records().SaveQueueRecord(copy, true).ok());
        host.script(dialog).cancel();
        EXPECT_EQ(RunModelDialog(t.lib().services(), nullptr, model, copy), id::Cancel) << model;
    }
    std::string exported;
    EXPECT_EQ(exportRegistry(machine.registry, "HKEY_LOCAL_MACHINE\\" + productPath("Queues"),
                             RegFileFormat::Regedit4, exported),
              0u);
    EXPECT_EQ(exported, goldenText("new-queues.reg"));
    std::vector<const void*> shown;
    for (const QueueRecord& q : records)
        shown.push_back(&q);
    EXPECT_EQ(fieldColumns(kQueueFields, shown, sizeof(QueueRecord)),
              goldenText("new-queue-record.txt"));
}

TEST_F(Pieces, TheSameModelAndACopyImportedFromAQueueOfItsModel) {
    // By the printer's key as spelt; an "OTHER" queue only by its alias.
    QueueRecord q{};
    setField(q.Printer, "hp_laserjet_4m");
    EXPECT_FALSE(SameModel(q, 1));
    setField(q.Printer, "OTHER");
    EXPECT_FALSE(SameModel(q, 14));

    // The list offers the queues of the model only; the copy keeps the new name and description
    // and gets a cross-process area of its own. A read-only registry leaves only Cancel.
    for (const Texts& r : std::vector<Texts>{{"B_Q", "HP_LASERJET_4M", "second"},
                                             {"R_Q", "RICOH_LP-M20", "ricoh"}}) {
        const std::string key = productPath("Queues\\" + r[0]);
        machine.registry.setString(key, "Printer", r[1]);
        machine.registry.setString(key, "Description", r[2]);
        machine.registry.setString(key, "DeviceName", "DEV_" + r[0]);
    }
    const ServerConfig* config = nullptr;
    ASSERT_EQ(GetConfig(t.lib(), &config, LNTC_CONFIG_VERSION), 0u);
    q = {};
    InitNewQueueRecord(1, "NEWQ", "", q);
    host.script(dlg::NewQueue).click(newqueuectl::Import);
    auto& import = host.script(dlg::ImportQueue).then([](const ModelWindow& w) {
        EXPECT_EQ(std::tuple(w.at(importctl::From).itemTexts(), w.at(importctl::To).text),
                  std::tuple(Texts{"B_Q,   \"second\""}, "NEWQ,   <no description text>"));
    });
    import.ok();
    host.answerWhen("Import configuration from queue B_Q to queue NEWQ?", id::Yes);
    EXPECT_EQ(NewQueueDialog(t.lib().services(), nullptr, 1, q).doModal(), kQueueImported);
    const QueueRecord* source = nullptr;
    ASSERT_EQ(GetQueue(t.lib(), "B_Q", &source, LNTC_QUEUE_VERSION), 0u);
    EXPECT_EQ(formatMessage("%s/%s/%s %u %d %d", q.Name, q.Description, q.DeviceName, q.GlobalArea,
                            source->GlobalArea != 0, q.UpdateTime == source->UpdateTime),
              "NEWQ//DEV_B_Q 0 1 1");

    t.makeRegistryReadOnly();
    auto& readOnly = host.script(dlg::NewQueue).then([](const ModelWindow& w) {
        EXPECT_FALSE(w.at(ctl::Ok).enabled || w.at(newqueuectl::Import).enabled);
    });
    readOnly.cancel();
    EXPECT_EQ(NewQueueDialog(t.lib().services(), nullptr, 1, q).doModal(), id::Cancel);
}

TEST_F(Pieces, OtherModelNeedsItsModuleSavingTheOdrNameAndTheAddressDialog) {
    EXPECT_EQ(ModelModulePath(t.lib().services(), 1), "C:\\qdsw\\lnt\\bin\\LJA.dll");
    auto models = [](int curSel, Texts items) {
        return [=](const ModelWindow& w) {
            EXPECT_EQ(std::tuple(w.at(othermodelctl::QueueName).text,
                                 w.at(othermodelctl::Model).curSel,
                                 w.at(othermodelctl::Model).itemTexts()),
                      std::tuple("PSQ", curSel, items));
        };
    };
    host.script(dlg::OtherModel).then(models(-1, {})).ok().cancel(); // nothing to choose: stays
    host.script(dlg::OtherModel).then(models(0, {"Generic PostScript Level 2"})).ok();
    std::string chosen;
    for (int i = 0; i < 2; ++i) {
        if (i) machine.files.addFile("C:\\qdsw\\lnt\\bin\\GNX.dll", "");
        OtherModelDialog d(t.lib().services(), nullptr, "PSQ");
        chosen += std::to_string(d.doModal()) + ":";
        chosen += std::to_string(d.model()) + " ";
    }
    EXPECT_EQ(chosen, formatMessage("%d:%d %d:14 ", id::Cancel, kNoModel, id::Ok));
    EXPECT_EQ(takeBoxes(29),
              (Texts{"The GNX.DLL is not installed.", "Please select a printer model"}));

    // Saving the ODR name and its failures.
    EXPECT_TRUE(SaveOdrNameToRegistry(t.lib().services(), nullptr, "Beta:Org"));
    machine.registry.failNext(MemoryRegistry::Op::CreateKey, 5);
    EXPECT_FALSE(SaveOdrNameToRegistry(t.lib().services(), nullptr, "Gamma:Org"));
    EXPECT_TRUE(t.logged("LNTC: Error creating registration key")); // and no box
    machine.registry.failNext(MemoryRegistry::Op::SetValue, 5);
    EXPECT_FALSE(SaveOdrNameToRegistry(t.lib().services(), nullptr, "Gamma:Org"));
    EXPECT_EQ(getString(machine.registry, kOdrRootPath, "RLKDomain"), "Beta:Org");
    // A window class of that name that is not the address control's: said, and it opens.
    host.classes.registerClass(kAddressEditClass, this);
    host.script(dlg::OdrAddress)
        .then([](auto& w) { EXPECT_EQ(w.at(odrctl::OdrName).text, "Alpha:Quendal"); })
        .cancel();
    EXPECT_EQ(OdrAddressDialog(t.lib().services(), nullptr, "Alpha:Quendal", "").doModal(),
              id::Cancel);
    EXPECT_EQ(takeBoxes(), (Texts{"Access is denied.",
                                  "Error writing the default ODR name 'Gamma:Org' to the Registry.",
                                  "Failed to register WNDCLASS for parsed control"}));
}

TEST(SavedOdrName, TheNextStartTakesItsNamePartsOverTheNameServiceDefault) {
    // Saved (nullptr: none), then the name and the charset of the ODR that the name reaches.
    // clang-format off
    const std::tuple<const char*, const char*> cases[] = {
        {nullptr, "Alpha:Quendal 2"}, {"Beta:Org", "Beta:Org 42"}, {"Beta", "Beta:Quendal 0"},
        {":Org", "Alpha:Quendal 2"}, {"Beta:OrganisationNameTooLong", "Alpha:Quendal 2"},
        // Parts of 19 characters fit the record; of 20 they do not.
        {"DomainOfNineteenChs:Org", "DomainOfNineteenChs:Org 19"},
        {"DomainOfTwentyCharsX:Org", "Alpha:Quendal 2"},
        {"Beta:OrgOfNineteenCharsX", "Beta:OrgOfNineteenCharsX 19"},
        {"Beta:OrgOfTwentyCharsLong", "Alpha:Quendal 2"}};
    // clang-format on
    for (const auto& [saved, expected] : cases) {
        FakeMachine machine;
        ASSERT_TRUE(!saved ||
                    SaveOdrNameToRegistry(TestLibrary(machine).lib().services(), nullptr, saved));
        TestLibrary next(machine); // the sections went with the first
        next.product.setDirectoryJson(R"({"default":"Alpha:Quendal","odrs":[
            {"domain":"Alpha","organization":"Quendal","systemDefaults":{"charset":2}},
            {"domain":"Beta","organization":"Org","systemDefaults":{"charset":42}},
            {"domain":"Beta","organization":"Quendal"},
            {"domain":"DomainOfNineteenChs","organization":"Org","systemDefaults":{"charset":19}},
            {"domain":"Beta","organization":"OrgOfNineteenCharsX","systemDefaults":{"charset":19}}]})");
        const ServerConfig* c = nullptr;
        ASSERT_EQ(GetConfig(next.lib(), &c, LNTC_CONFIG_VERSION), 0u);
        EXPECT_EQ(formatMessage("%s:%s %u", c->Domain, c->Organization, c->SystemCharset), expected)
            << saved;
    }
}

} // namespace
