// Storage on every backend: migrations, the declared columns, the room-overlap rule, value
// round trips, rows read one by one, the bounded statement cache and counters; the bounded
// wait for a connection and for SQLite's write lock.
#include <algorithm>
#include <future>
#include <span>
#include <thread>

#include "appserver/counters.h"
#include "appserver/schema.h"
#include "appserver/sql_value.h"
#include "test_support.h"

namespace zel::appserver::test {
namespace {

class StorageTest : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        ZEL_SKIP_IF_UNAVAILABLE(database);
        server = std::make_unique<AppServer>(DemoOptions(database.url()));
    }
    Database& db() { return server->Impl().db(); }
    template <class F>
    auto Write(F&& fn) {
        return db().Transact(true, std::forward<F>(fn));
    }
    // Books room 00001 of branch 0001 on 2031-06-02 from `from` to `to` (hhmm).
    void Book(SqlConnection& c, const std::string& seq, const std::string& from,
              const std::string& to, const std::string& status = "A",
              const std::string& room = "00001") {
        c.Exec(
            "INSERT INTO AGEATIVISALA (CDFILIAL, DTATIAGESALA, NRSEQAGESALA, CDSALA, "
            "IDSITAGESALA, HRINIAGESALA, HRFINAGESALA) VALUES ('0001', ?, ?, ?, ?, ?, ?)",
            {Variant::FromDateTime(EncodeDate(2031, 6, 2)), seq, room, status, from, to});
    }
    DbError::Kind BookingRefusal(const std::string& seq, const std::string& from,
                                 const std::string& to, const std::string& room = "00001") {
        try {
            Write([&](SqlConnection& c) { Book(c, seq, from, to, "A", room); });
        } catch (const DbError& e) {
            return e.kind();
        }
        return DbError::Kind::Other;  // accepted
    }

    TestDatabase database{GetParam()};
    std::unique_ptr<AppServer> server;
};

INSTANTIATE_TEST_SUITE_P(Backends, StorageTest,
                         ::testing::Values(Backend::SqliteMemory, Backend::SqliteFile,
                                           Backend::Postgres),
                         [](const auto& info) { return BackendName(info.param); });

TEST_P(StorageTest, MigrationsAreRecordedOnceAndRerunHarmlessly) {
    // Version numbers are handed out ahead of time, so they may have gaps.
    auto recorded = [this] {
        return db().Transact(false, [](SqlConnection& c) {
            const SqlRow r =
                c.Exec("SELECT COUNT(*), COUNT(DISTINCT VERSAO), MAX(VERSAO) FROM VERSAOESQUEMA")
                    .rows.at(0);
            return std::vector<int64_t>{r[0].AsInteger(), r[1].AsInteger(), r[2].AsInteger()};
        });
    };
    EXPECT_EQ(Migrate(db()), LatestSchemaVersion());
    const std::vector<int64_t> first = recorded();
    EXPECT_EQ(first[0], first[1]);
    EXPECT_EQ(first[2], LatestSchemaVersion());
    EXPECT_EQ(Migrate(db()), LatestSchemaVersion());
    EXPECT_EQ(recorded(), first);
}

TEST_P(StorageTest, EveryDeclaredColumnExists) {
    for (const TableDef& t : Tables()) {
        std::string cols;
        for (const ColumnDef& c : t.columns)
            cols += (cols.empty() ? "" : ", ") + c.name;
        EXPECT_NO_THROW(db().Transact(false, [&](SqlConnection& c) {
            c.Exec("SELECT " + cols + " FROM " + t.name + " WHERE 1 = 0");
        })) << t.name;
    }
}

TEST_P(StorageTest, OneRoomNeverHoldsTwoOverlappingActiveBookings) {
    Write([&](SqlConnection& c) { Book(c, "90001", "0900", "1000"); });
    EXPECT_EQ(BookingRefusal("90002", "0930", "1030"), DbError::Kind::ConstraintViolation);
    EXPECT_EQ(BookingRefusal("90003", "0800", "1100"), DbError::Kind::ConstraintViolation);
    // Half-open intervals: touching ends do not collide.
    EXPECT_EQ(BookingRefusal("90004", "1000", "1100"), DbError::Kind::Other);
    EXPECT_EQ(BookingRefusal("90005", "0800", "0900"), DbError::Kind::Other);
    // Another room, or a cancelled booking, does not collide either.
    EXPECT_EQ(BookingRefusal("90006", "0930", "1030", "00002"), DbError::Kind::Other);
    Write([&](SqlConnection& c) { Book(c, "90007", "0930", "1030", "X"); });
    // Moving a booking onto another one is refused as well.
    EXPECT_THROW(Write([](SqlConnection& c) {
                     c.Exec(
                         "UPDATE AGEATIVISALA SET HRINIAGESALA = '0945', HRFINAGESALA = '1015' "
                         "WHERE NRSEQAGESALA = '90004'");
                 }),
                 DbError);
}

TEST_P(StorageTest, DatesTextsAndNumbersRoundTrip) {
    const TDateTime when = EncodeDateTime(2031, 2, 28, 23, 59, 59);
    const std::string text = "Ação — ünïcode ✓ 'aspas' \"duplas\"";
    const auto row = Write([&](SqlConnection& c) {
        c.Exec(
            "INSERT INTO TAREFA (CDFILIAL, NRTAREFA, DSREFETAREFA, DTHRREUNIAO, QTHRREUNIAO) "
            "VALUES ('0001', 'RT00000001', ?, ?, ?)",
            {text, Variant::FromDateTime(when), 1.0 / 3});
        return c
            .Exec(
                "SELECT DSREFETAREFA, DTHRREUNIAO, QTHRREUNIAO FROM TAREFA "
                "WHERE NRTAREFA = 'RT00000001'")
            .rows.at(0);
    });
    EXPECT_EQ(row[0].AsString(), text);
    EXPECT_EQ(SqlDateTimeText(ParseSqlDateTime(row[1].AsString())), "2031-02-28 23:59:59");
    EXPECT_EQ(row[2].AsFloat(), 1.0 / 3);
}

TEST_P(StorageTest, CountersStartAboveTheFloorAndNeverRepeat) {
    const auto values = Write([](SqlConnection& c) {
        std::vector<int64_t> v;
        v.push_back(NextCounterValue(c, "TESTE", "A"));
        v.push_back(NextCounterValue(c, "TESTE", "A"));
        v.push_back(NextCounterValue(c, "TESTE", "B"));
        v.push_back(NextCounterValue(c, "TESTE", "A", 100));
        v.push_back(NextCounterValue(c, "TESTE", "A", 50));
        return v;
    });
    EXPECT_EQ(values, (std::vector<int64_t>{1, 2, 1, 100, 101}));
}

TEST_P(StorageTest, FailedTransactionLeavesNothingBehind) {
    EXPECT_THROW(Write([](SqlConnection& c) {
                     c.Exec("INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('0009', 'Nova')");
                     c.Exec("INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('0009', 'Repetida')");
                 }),
                 DbError);
    const auto n = db().Transact(false, [](SqlConnection& c) {
        return c.Exec("SELECT COUNT(*) FROM FILIAL WHERE CDFILIAL = '0009'")
            .rows.at(0)
            .at(0)
            .AsInteger();
    });
    EXPECT_EQ(n, 0);
}

TEST_P(StorageTest, QueryHandsOverTheRowsExecReturns) {
    const std::string sql =
        "SELECT CDFILIAL, NRTAREFA, DSREFETAREFA, DTHRREUNIAO, QTHRREUNIAO, CDPROJETO "
        "FROM TAREFA WHERE CDFILIAL = ? ORDER BY NRTAREFA";
    db().Transact(false, [&](SqlConnection& c) {
        const SqlResult collected = c.Exec(sql, {"0001"});
        ASSERT_FALSE(collected.rows.empty());
        std::vector<SqlRow> streamed;
        c.Query(sql, {"0001"}, [&](std::span<const SqlCell> row) {
            SqlRow values;
            for (const SqlCell& cell : row)
                values.push_back(cell.ToVariant());
            streamed.push_back(std::move(values));
        });
        EXPECT_EQ(streamed, collected.rows);

        // A statement from inside the sink is refused, and the connection still works after.
        EXPECT_THROW(c.Query(sql, {"0001"}, [&](std::span<const SqlCell>) { c.Exec("SELECT 1"); }),
                     DbError);
        EXPECT_EQ(c.Exec("SELECT 1").rows.at(0).at(0).AsInteger(), 1);
    });
}

TEST_P(StorageTest, PreparedStatementCacheStaysBoundedAndEvictedStatementsStillRun) {
    db().Transact(false, [&](SqlConnection& c) {
        // Distinct texts, as IN lists of many lengths would make them.
        const auto text = [](size_t n) { return "SELECT " + std::to_string(n) + " + ?"; };
        const size_t total = kMaxPreparedStatements * 2 + 10;
        size_t most = 0;
        for (size_t n = 0; n < total; ++n) {
            ASSERT_EQ(c.Exec(text(n), {1}).rows.at(0).at(0).AsInteger(),
                      static_cast<int64_t>(n + 1));
            most = std::max(most, c.PreparedStatements());
        }
        EXPECT_LE(most, kMaxPreparedStatements);
        EXPECT_GT(most, kMaxPreparedStatements / 2) << "the cache is used at all";
        // The first texts were evicted long ago; they are prepared again and give the same.
        for (size_t n : {size_t{0}, size_t{1}, total - 1})
            EXPECT_EQ(c.Exec(text(n), {1}).rows.at(0).at(0).AsInteger(),
                      static_cast<int64_t>(n + 1));
        EXPECT_LE(c.PreparedStatements(), kMaxPreparedStatements);
    });
}

TEST(StorageOpenTest, UnreachableDatabasesFailWithAReadableMessage) {
    AppServerOptions o;
    o.db = "postgresql://127.0.0.1:1/none";
    EXPECT_THROW(AppServer{o}, std::runtime_error);
    o.db = "sqlite:/nonexistent-folder/zel.db";
    EXPECT_THROW(AppServer{o}, std::runtime_error);
    o.db = "mysql://x";
    EXPECT_THROW(AppServer{o}, std::runtime_error);
}

}  // namespace
}  // namespace zel::appserver::test

namespace zel::appserver::test {
namespace {

// A transaction that cannot get what it needs within the busy wait gives up with Busy instead
// of queueing without end: the in-process writer lock of a SQLite file, and the one
// connection of an in-memory database.
TEST(BusyWaitTest, WaitingPastTheBoundEndsInBusy) {
    TestDatabase file(Backend::SqliteFile);
    for (const std::string& url : {file.url(), std::string("sqlite::memory:")}) {
        const auto db = Database::Open(url, 4, std::chrono::milliseconds(200));
        std::promise<void> holding, release;
        std::thread holder([&] {
            db->Transact(true, [&](SqlConnection&) {
                holding.set_value();
                release.get_future().wait();
            });
        });
        holding.get_future().wait();
        try {
            db->Transact(true, [](SqlConnection&) {});
            ADD_FAILURE() << url << ": a second writer got through";
        } catch (const DbError& e) {
            EXPECT_EQ(e.kind(), DbError::Kind::Busy) << url << ": " << e.what();
        }
        release.set_value();
        holder.join();
        EXPECT_NO_THROW(db->Transact(true, [](SqlConnection&) {})) << url;
    }
}

}  // namespace
}  // namespace zel::appserver::test
