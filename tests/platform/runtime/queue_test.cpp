#include "platform/runtime/queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace zem::runtime {
namespace {

struct Row {
    int id = 0;
    std::string name;
    char code[6] = {};  // a fixed-width text field like the records' CSTRINGs
    double price = 0;
};

Row MakeRow(int id, std::string name, std::string_view code = {}, double price = 0) {
    Row row;
    row.id = id;
    row.name = std::move(name);
    code.copy(row.code, std::min(code.size(), sizeof row.code));
    row.price = price;
    return row;
}

std::vector<int> Ids(const Queue<Row>& queue) {
    std::vector<int> ids;
    for (const Row& row : queue.Records()) ids.push_back(row.id);
    return ids;
}

Row Key(std::string name) {
    return MakeRow(0, std::move(name));
}

struct AddCase {
    const char* name;
    SortOrder<Row> order;
    std::vector<Row> added;  // in this order, each with AddSorted
    std::vector<int> ids;    // the queue's order afterwards
};

std::ostream& operator<<(std::ostream& out, const AddCase& c) {
    return out << c.name;
}

class SortedAddTest : public ::testing::TestWithParam<AddCase> {};

TEST_P(SortedAddTest, KeepsTheOrderAndPutsEqualKeysAfterTheOldOnes) {
    const AddCase& c = GetParam();
    Queue<Row> queue(c.order);
    for (const Row& row : c.added) {
        ASSERT_EQ(queue.AddSorted(row), QueueOk);
        // The current record is the one just added.
        EXPECT_EQ(queue.Records()[queue.Pointer() - 1].id, row.id);
    }
    EXPECT_EQ(Ids(queue), c.ids);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, SortedAddTest,
    ::testing::Values(
        AddCase{"ByNameWithDuplicates",
                {Ascending(&Row::name)},
                {MakeRow(1, "pear"), MakeRow(2, "apple"), MakeRow(3, "pear"), MakeRow(4, "fig"),
                 MakeRow(5, "apple")},
                {2, 5, 4, 1, 3}},
        AddCase{"Descending",
                {Descending(&Row::price)},
                {MakeRow(1, "", "", 5), MakeRow(2, "", "", 9), MakeRow(3, "", "", 5),
                 MakeRow(4, "", "", 1)},
                {2, 1, 3, 4}},
        AddCase{"TwoFieldsMixed",
                {Ascending(&Row::name), Descending(&Row::id)},
                {MakeRow(1, "b"), MakeRow(2, "a"), MakeRow(3, "b"), MakeRow(4, "a")},
                {4, 2, 3, 1}},
        // Text compares as unsigned bytes: capitals first, a code page 1252 letter after "z";
        // trailing blanks don't count, and a fixed-width field ends at its NUL.
        AddCase{"TextAsUnsignedBytes",
                {Ascending(&Row::code), Ascending(&Row::id)},
                {MakeRow(1, "", "\xE9t\xE9"), MakeRow(2, "", "zoo"), MakeRow(3, "", "ab  "),
                 MakeRow(4, "", "ab"), MakeRow(5, "", "Zoo")},
                {5, 3, 4, 2, 1}},
        AddCase{"ByFunction",
                {Ascending<Row>([](const Row& row) { return row.name.size(); })},
                {MakeRow(1, "ccc"), MakeRow(2, "a"), MakeRow(3, "bb"), MakeRow(4, "d")},
                {2, 4, 3, 1}},
        AddCase{"NoOrderAppends", {}, {MakeRow(3, "c"), MakeRow(1, "a")}, {3, 1}}),
    [](const ::testing::TestParamInfo<AddCase>& param) { return param.param.name; });

TEST(QueueTest, KeyedGetFindsTheFirstEqualRecordOrLeavesTheBufferAlone) {
    Queue<Row> queue({Ascending(&Row::name)});
    for (const Row& row : {MakeRow(1, "b"), MakeRow(2, "a"), MakeRow(3, "b"), MakeRow(4, "c")}) {
        queue.AddSorted(row);
    }
    struct Case {
        const char* key;
        int result;
        int id;  // the record got, or the buffer's own id on a miss
        std::size_t pointer;
    };
    for (const Case& c :
         {Case{"b", QueueOk, 1, 2}, Case{"a", QueueOk, 2, 1}, Case{"c  ", QueueOk, 4, 4},
          Case{"bb", QueueEntryNotFound, -7, 4}, Case{"", QueueEntryNotFound, -7, 4},
          Case{"d", QueueEntryNotFound, -7, 4}}) {
        Row buffer = MakeRow(-7, c.key);
        EXPECT_EQ(queue.Get(buffer), c.result) << c.key;
        EXPECT_EQ(buffer.id, c.id) << c.key;
        EXPECT_EQ(queue.Pointer(), c.pointer) << c.key;
    }
    EXPECT_EQ(QueueErrorText(QueueEntryNotFound), "Entry Not Found");
}

TEST(QueueTest, KeyedGetStillFindsRecordsInAQueueOutOfOrder) {
    Queue<Row> queue({Ascending(&Row::name)});
    // Plain adds and a put that changes a key leave the queue out of order.
    queue.Add(MakeRow(1, "m"));
    queue.Add(MakeRow(2, "c"));
    queue.Add(MakeRow(3, "x"));
    Row row;
    ASSERT_EQ(queue.GetAt(3, row), QueueOk);
    row.name = "a";
    ASSERT_EQ(queue.Put(row), QueueOk);
    for (const auto& [name, id] :
         std::vector<std::pair<std::string, int>>{{"m", 1}, {"c", 2}, {"a", 3}}) {
        Row buffer = Key(name);
        EXPECT_EQ(queue.Get(buffer), QueueOk) << name;
        EXPECT_EQ(buffer.id, id);
    }
    Row missing = Key("x");
    EXPECT_EQ(queue.Get(missing), QueueEntryNotFound);
    // A sorted add into a queue out of order goes before the first record that sorts after it.
    queue.AddSorted(MakeRow(4, "d"));
    EXPECT_EQ(Ids(queue), (std::vector<int>{4, 1, 2, 3}));
    queue.Sort();
    EXPECT_EQ(Ids(queue), (std::vector<int>{3, 2, 4, 1}));
}

TEST(QueueTest, GetByOtherFieldsThanTheSortOrder) {
    Queue<Row> queue({Ascending(&Row::id)});
    queue.AddSorted(MakeRow(1, "x", "A"));
    queue.AddSorted(MakeRow(2, "y", "B"));
    queue.AddSorted(MakeRow(3, "y", "A"));
    Row buffer = MakeRow(0, "y", "A");
    EXPECT_EQ(queue.Get(buffer, {Ascending(&Row::name), Ascending(&Row::code)}), QueueOk);
    EXPECT_EQ(buffer.id, 3);
    EXPECT_EQ(queue.Get(buffer, {}), QueueEntryNotFound) << "no fields, no key";
    Queue<Row> unordered;
    unordered.Add(MakeRow(1, "x"));
    buffer = Key("x");
    EXPECT_EQ(unordered.Get(buffer), QueueEntryNotFound) << "a queue without order has no key";
}

TEST(QueueTest, PositionsCountFromOne) {
    Queue<Row> queue;
    for (int id = 1; id <= 3; ++id) queue.Add(MakeRow(id, "r"));
    Row buffer;
    for (std::size_t position = 1; position <= 3; ++position) {
        ASSERT_EQ(queue.GetAt(position, buffer), QueueOk);
        EXPECT_EQ(buffer.id, static_cast<int>(position));
        EXPECT_EQ(queue.Pointer(), position);
    }
    buffer.id = -1;
    EXPECT_EQ(queue.GetAt(0, buffer), QueueEntryNotFound);
    EXPECT_EQ(queue.GetAt(4, buffer), QueueEntryNotFound);
    EXPECT_EQ(buffer.id, -1);
    // Insert at a position, as a tree list puts a node's children after it.
    EXPECT_EQ(queue.Add(MakeRow(9, "r"), 2), QueueOk);
    EXPECT_EQ(queue.Pointer(), 2u);
    EXPECT_EQ(queue.Add(MakeRow(10, "r"), 5), QueueOk);
    EXPECT_EQ(queue.Add(MakeRow(11, "r"), 7), QueueEntryNotFound);
    EXPECT_EQ(queue.Add(MakeRow(11, "r"), 0), QueueEntryNotFound);
    EXPECT_EQ(Ids(queue), (std::vector<int>{1, 9, 2, 3, 10}));
}

TEST(QueueTest, PutAndDeleteActOnTheCurrentRecordOnly) {
    Queue<Row> queue({Ascending(&Row::id)});
    Row row;
    EXPECT_EQ(queue.Put(MakeRow(1, "x")), QueueEntryNotFound) << "nothing got yet";
    EXPECT_EQ(queue.Delete(), QueueEntryNotFound);
    for (int id = 1; id <= 4; ++id) queue.AddSorted(MakeRow(id, "r"));

    ASSERT_EQ(queue.GetAt(2, row), QueueOk);
    row.name = "changed";
    EXPECT_EQ(queue.Put(row), QueueOk);
    EXPECT_EQ(queue.Records()[1].name, "changed");

    ASSERT_EQ(queue.GetAt(3, row), QueueOk);
    EXPECT_EQ(queue.Delete(), QueueOk);
    EXPECT_EQ(Ids(queue), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(queue.Pointer(), 0u);
    EXPECT_EQ(queue.Delete(), QueueEntryNotFound) << "the current record is gone";
    EXPECT_EQ(queue.Put(row), QueueEntryNotFound);

    // PutSorted moves a record whose key changed to its new place.
    ASSERT_EQ(queue.GetAt(1, row), QueueOk);
    row.id = 3;
    EXPECT_EQ(queue.PutSorted(row), QueueOk);
    EXPECT_EQ(Ids(queue), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(queue.Pointer(), 2u);

    queue.Free();
    EXPECT_EQ(queue.Count(), 0u);
    EXPECT_EQ(queue.Pointer(), 0u);
    EXPECT_EQ(queue.GetAt(1, row), QueueEntryNotFound);
}

TEST(QueueTest, ReSortingByAnotherOrderAndBackIsStable) {
    // The crawl's way of looking for a duplicate child: sort by node and parent, get, sort back.
    Queue<Row> queue({Ascending(&Row::id)});
    const std::vector<Row> rows{MakeRow(1, "n", "300"), MakeRow(2, "n", "100"),
                                MakeRow(3, "n", "300"), MakeRow(4, "m", "100"),
                                MakeRow(5, "n", "200")};
    for (const Row& row : rows) queue.AddSorted(row);

    queue.Sort({Ascending(&Row::code), Ascending(&Row::name)});
    EXPECT_EQ(Ids(queue), (std::vector<int>{4, 2, 5, 1, 3}));
    EXPECT_EQ(queue.Pointer(), 0u);
    Row buffer = MakeRow(0, "n", "300");
    EXPECT_EQ(queue.Get(buffer), QueueOk);
    EXPECT_EQ(buffer.id, 1) << "the first of the equal records";
    buffer = MakeRow(0, "m", "300");
    EXPECT_EQ(queue.Get(buffer), QueueEntryNotFound);

    queue.Sort({Ascending(&Row::id)});
    EXPECT_EQ(Ids(queue), (std::vector<int>{1, 2, 3, 4, 5}));
    queue.Sort({Descending(&Row::name)});
    EXPECT_EQ(Ids(queue), (std::vector<int>{1, 2, 3, 5, 4}));
}

// A straightforward model of the queue: linear searches over a plain vector.
class Model {
  public:
    explicit Model(SortOrder<Row> order) : order_(std::move(order)) {}
    std::vector<Row> rows;
    std::size_t pointer = 0;

    std::size_t SlotFor(const Row& row) const {
        std::size_t slot = 0;
        while (slot < rows.size() && CompareRecords(order_, row, rows[slot]) >= 0) ++slot;
        return slot;
    }
    std::size_t FirstEqual(const Row& key) const {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (CompareRecords(order_, rows[i], key) == 0) return i + 1;
        }
        return 0;
    }
    void Sort() {
        std::stable_sort(rows.begin(), rows.end(), [this](const Row& a, const Row& b) {
            return CompareRecords(order_, a, b) < 0;
        });
        pointer = 0;
    }

  private:
    SortOrder<Row> order_;
};

TEST(QueueTest, AgreesWithASimpleModelOverRandomOperations) {
    const SortOrder<Row> order{Ascending(&Row::name), Descending(&Row::price)};
    std::mt19937 random(20261210);
    for (int run = 0; run < 20; ++run) {
        Queue<Row> queue(order);
        Model model(order);
        // In sorted queues a new record's slot is the first one that sorts after it, which is
        // also what the model computes for a queue out of order; see KeyedGetStillFinds...
        for (int step = 0; step < 400; ++step) {
            const Row row = MakeRow(step, std::string(1, static_cast<char>('a' + random() % 6)), {},
                                    static_cast<double>(random() % 3));
            Row buffer = MakeRow(-1, row.name, {}, row.price);
            switch (random() % 9) {
                case 0:
                case 1:
                    ASSERT_EQ(queue.AddSorted(row), QueueOk);
                    model.pointer = model.SlotFor(row) + 1;
                    model.rows.insert(model.rows.begin() + static_cast<long>(model.pointer - 1),
                                      row);
                    break;
                case 2:
                    queue.Add(row);
                    model.rows.push_back(row);
                    model.pointer = model.rows.size();
                    break;
                case 3: {
                    const std::size_t found = model.FirstEqual(buffer);
                    ASSERT_EQ(queue.Get(buffer), found ? QueueOk : QueueEntryNotFound);
                    if (found) {
                        model.pointer = found;
                        ASSERT_EQ(buffer.id, model.rows[found - 1].id);
                    }
                    break;
                }
                case 4: {
                    const std::size_t position = random() % (model.rows.size() + 2);
                    const bool inside = position >= 1 && position <= model.rows.size();
                    ASSERT_EQ(queue.GetAt(position, buffer), inside ? QueueOk : QueueEntryNotFound);
                    if (inside) model.pointer = position;
                    break;
                }
                case 5:
                    ASSERT_EQ(queue.Put(row), model.pointer ? QueueOk : QueueEntryNotFound);
                    if (model.pointer) model.rows[model.pointer - 1] = row;
                    break;
                case 6:
                    ASSERT_EQ(queue.PutSorted(row), model.pointer ? QueueOk : QueueEntryNotFound);
                    if (model.pointer) {
                        model.rows.erase(model.rows.begin() + static_cast<long>(model.pointer - 1));
                        model.pointer = model.SlotFor(row) + 1;
                        model.rows.insert(model.rows.begin() + static_cast<long>(model.pointer - 1),
                                          row);
                    }
                    break;
                case 7:
                    ASSERT_EQ(queue.Delete(), model.pointer ? QueueOk : QueueEntryNotFound);
                    if (model.pointer) {
                        model.rows.erase(model.rows.begin() + static_cast<long>(model.pointer - 1));
                        model.pointer = 0;
                    }
                    break;
                case 8:
                    if (random() % 4 == 0) {
                        queue.Sort();
                        model.Sort();
                    }
                    break;
            }
            ASSERT_EQ(queue.Pointer(), model.pointer) << "run " << run << " step " << step;
            ASSERT_EQ(queue.Count(), model.rows.size());
            for (std::size_t i = 0; i < model.rows.size(); ++i) {
                ASSERT_EQ(queue.Records()[i].id, model.rows[i].id)
                    << "run " << run << " step " << step << " position " << i + 1;
            }
        }
    }
}

}  // namespace
}  // namespace zem::runtime
