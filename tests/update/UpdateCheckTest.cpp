#include <gtest/gtest.h>

#include "net/Transfer.h"
#include "support/LoopbackServices.h"
#include "update/UpdateService.h"

using namespace std::chrono_literals;

TEST(UpdateService, AddressesOnTheServicesOwnHost) {
    const UpdateService service(QStringLiteral("http://127.0.0.1:8123/somewhere/else?x=1"));
    EXPECT_EQ(service.newsFile(), "http://127.0.0.1:8123/zazazuvu/randola3/news.txt");
    // Only the web's protocols name a service.
    EXPECT_EQ(UpdateService(QStringLiteral("file:///etc")).webSite(), UpdateService().webSite());
    EXPECT_TRUE(UpdateService().webSite().startsWith("https://"));

    qputenv("RANDOLA_UPDATE_URL", "http://127.0.0.2:81");
    EXPECT_EQ(UpdateService::configured({"randola"}).webSite(), "http://127.0.0.2:81");
    EXPECT_EQ(UpdateService::configured({"randola", "--update-url", "https://u.example"}).webSite(),
              "https://u.example");
    qunsetenv("RANDOLA_UPDATE_URL");
    EXPECT_EQ(UpdateService::configured({"randola"}).webSite(), UpdateService().webSite());
}

TEST(Transfer, WebFetchIsExactAndFailsOnNotFoundTooMuchOrTooManyRedirects) {
    WebFolder web;
    ASSERT_TRUE(web.listening());
    web.put("/a.txt", QByteArray("one\r\ntwo\n\0three", 15));
    const QByteArray big(300 * 1024, 'x');
    web.put("/big.txt", big);
    // A server that redirects, or never says how much it sends and does not stop.
    LoopbackServer odd("/usr/bin/python3",
                       {RANDOLA_TEST_SUPPORT_DIR "/redirect_server.py", "{port}"});
    ASSERT_TRUE(odd.listening()) << odd.log().toStdString();
    const QString oddRoot = QStringLiteral("http://127.0.0.1:%1").arg(odd.port());
    Transfer transfer(Transfer::Protocols::Web, {1000ms, 3000ms});
    EXPECT_EQ(transfer.fetch(web.address() + "/a.txt", 15), QByteArray("one\r\ntwo\n\0three", 15));
    EXPECT_EQ(transfer.fetch(web.address() + "/big.txt", big.size()), big);
    EXPECT_EQ(transfer.fetch(oddRoot + "/hop/3", 1024), "arrived");
    // The url, the limit, and what the failure must say.
    const std::tuple<QString, qsizetype, QString> failures[] = {
        {"/missing.txt", 1024, "404"},
        {"/a.txt", 14, "The reply for a.txt was larger than "},
        {"/big.txt", 4096,
         "The reply for big.txt was larger than 4 KB, far larger than that file ever is"},
        {oddRoot + "/endless", 65536, "The reply for endless was larger than 64 KB"},
        {oddRoot + "/hop/4", 1024, "redirect"},
    };
    for (const auto& [path, limit, reason] : failures) {
        try {
            transfer.fetch(path.startsWith("http") ? path : web.address() + path, limit);
            ADD_FAILURE() << path.toStdString() << " passed";
        } catch (const TransferError& e) {
            EXPECT_TRUE(e.reason().contains(reason)) << e.reason().toStdString();
        }
    }
    // Only the web's protocols are spoken.
    EXPECT_THROW(transfer.fetch("file:///etc/hostname", 1024), TransferError);
}
