// The CSV reader and writer, the cleaning of imported fields, and the import plan.
#include <gtest/gtest.h>

#include "workbook/csv_import.h"
#include "workbook/csv_reader.h"
#include "workbook/csv_writer.h"
#include "workbook/import_cleaning.h"

using namespace tallomer;

TEST(CsvReader, QuotesLineBreaksByteOrderMarkAndLineNumbers) {
    const CsvTable t = ParseCsv(
        "\xEF\xBB\xBF"
        "a,\"b,c\",d\r\n"
        "1,\"two\r\nlines\",\"say \"\"hi\"\"\"\r\n"
        "\r\n"
        "3,,\n"
        "4,x");
    EXPECT_EQ(t.separator, ',');
    EXPECT_EQ(t.header.fields, (std::vector<std::string>{"a", "b,c", "d"}));
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(t.rows[0].fields, (std::vector<std::string>{"1", "two\r\nlines", "say \"hi\""}));
    EXPECT_EQ(t.rows[0].line, 2);
    EXPECT_EQ(t.rows[1].line, 5);  // the quoted line break counts, the blank line is left out
    EXPECT_EQ(t.rows[1].fields, (std::vector<std::string>{"3", "", ""}));
    EXPECT_EQ(t.rows[2].fields, (std::vector<std::string>{"4", "x"}));  // no line end at the end
}

TEST(CsvReader, SemicolonsWhenTheHeaderHasMoreOfThem) {
    const CsvTable t = ParseCsv("Date;\"Sales, gross\";Orders\n2024-01-02;1,5;3\n");
    EXPECT_EQ(t.separator, ';');
    EXPECT_EQ(t.header.fields.size(), 3u);
    EXPECT_EQ(t.rows[0].fields[1], "1,5");
}

TEST(CsvReader, RefusesAnEmptyFileAndAnUnclosedQuoteSayingWhere) {
    EXPECT_THROW(ParseCsv(""), CsvError);
    EXPECT_THROW(ParseCsv("\xEF\xBB\xBF\r\n\r\n"), CsvError);
    try {
        ParseCsv("a,b\n1,2\n3,\"open\n4,5\n");
        FAIL();
    } catch (const CsvError& e) {
        EXPECT_EQ(e.line(), 3);
    }
}

TEST(CsvWriter, QuotesOnlyWhatNeedsItAndReadsBack) {
    std::string out;
    AppendCsvRecord(out, {"plain", "a,b", "say \"x\"", "two\nlines", "", " pad", "semi;colon"});
    EXPECT_EQ(out, "plain,\"a,b\",\"say \"\"x\"\"\",\"two\nlines\",,\" pad\",\"semi;colon\"\r\n");
    const CsvTable back = ParseCsv(out);
    EXPECT_EQ(back.separator, ',');
    EXPECT_EQ(back.header.fields,
              (std::vector<std::string>{"plain", "a,b", "say \"x\"", "two\nlines", "", " pad", "semi;colon"}));
}

TEST(ImportCleaning, FiguresLoseOnlyBlanksCurrencySignsAndThousandsSeparators) {
    const std::pair<const char*, const char*> cleaned[] = {
        {" 12 ", "12"},
        {"\t$1,234.50\xC2\xA0", "1234.50"},
        {"-$5", "-5"},
        {"$-5", "-5"},
        {"12 \xE2\x82\xAC", "12"},
        {"\xC2\xA3"
         "1,234,567",
         "1234567"},
        {"1e3", "1e3"},
        // left as they are, for Submit's number test to judge
        {"1,23", "1,23"},
        {"12,5", "12,5"},
        {"(5)", "(5)"},
        {"5%", "5%"},
        {"$$5", "$5"},
        {"1,2345", "1,2345"},
        {"abc", "abc"},
    };
    for (const auto& [in, out] : cleaned) {
        std::string why;
        EXPECT_EQ(CleanFigure(in, why).value_or("<none>"), out) << in;
    }
    std::string why;
    EXPECT_FALSE(CleanFigure("  $ ", why));
    EXPECT_EQ(why, "empty");
}

TEST(ImportCleaning, DatesInEachOrderBecomeTypedDayFirst) {
    struct Case {
        const char* in;
        DateOrder order;
        const char* typed;  // nullptr: refused
    } cases[] = {
        {"2024-03-05", DateOrder::Default, "05/03/2024"},  {"05/03/2024", DateOrder::Default, "05/03/2024"},
        {"5/3/2024", DateOrder::Default, "05/03/2024"},    {"5/3/2024", DateOrder::MDY, "03/05/2024"},
        {"2024-03-05", DateOrder::MDY, "05/03/2024"},      {"5.3.2024", DateOrder::DMY, "05/03/2024"},
        {" 2024/3/5 ", DateOrder::YMD, "05/03/2024"},      {"5/3/2024", DateOrder::YMD, nullptr},
        {"31/02/2024", DateOrder::Default, nullptr},       {"29/02/2024", DateOrder::Default, "29/02/2024"},
        {"29/02/1900", DateOrder::Default, nullptr},       {"5/3/24", DateOrder::Default, nullptr},
        {"2024-03-05 10:00", DateOrder::Default, nullptr}, {"2024-03/05", DateOrder::Default, nullptr},
        {"1899-12-31", DateOrder::Default, nullptr},       {"March 5", DateOrder::Default, nullptr},
    };
    for (const Case& c : cases) {
        std::string why;
        const auto date = ReadImportDate(c.in, c.order, why);
        if (c.typed) {
            ASSERT_TRUE(date) << c.in << ": " << why;
            EXPECT_EQ(date->typed, c.typed) << c.in;
        } else {
            EXPECT_FALSE(date) << c.in;
            EXPECT_FALSE(why.empty()) << c.in;
        }
    }
}

TEST(ImportPlan, FindsColumnsByShopNamesAndSetsBadRowsAside) {
    const CsvTable csv = ParseCsv(
        "Sessions,Gross Sales, DAY ,Returns,Refunded,orders,Note\n"
        "100,\"$1,000.00\",2024-01-01,1,10,5,x\n"  // 2
        "100,250,2024-01-01,1,10,5,\n"  // 3: repeats line 2
        "100,250,2024-01-03,1,10,five,\n"  // 4: orders
        "0,250,2024-01-04,1,10,5,\n"  // 5: zero visitors
        "100,250,2024-01-05,1,10\n"  // 6: orders missing
        "100,250,2024-01-06,,10,5,\n"  // 7: refunds empty
        "100,250,2023-12-31,1,10,5,\n"  // 8: already in the sheet
        "100,250,2024-02-30,1,10,5,\n");  // 9: no such day
    const double dec31 = 45291;  // 31 December 2023
    const ImportPlan plan = PlanImport(csv, {}, {dec31});
    EXPECT_EQ(plan.columns, (std::array<int, 6>{2, 5, 1, 3, 4, 0}));
    ASSERT_EQ(plan.rows.size(), 1u);
    EXPECT_EQ(plan.rows[0].texts, (EntryTexts{"01/01/2024", "5", "1000.00", "1", "10", "100"}));
    std::vector<std::string> bad;
    for (const BadRow& b : plan.bad) bad.push_back(describe(b));
    EXPECT_EQ(bad, (std::vector<std::string>{
                       "line 3: date: 01/01/2024 repeats line 2",
                       "line 4: orders: not a number (\"five\")",
                       "line 5: visitors: 0, the figures per visitor divide by it (\"0\")",
                       "line 6: orders: missing, the line has 5 fields",
                       "line 7: refunds: empty",
                       "line 8: date: 31/12/2023 is already in the sheet",
                       "line 9: date: no such day (\"2024-02-30\")",
                   }));

    ImportOptions repeats;
    repeats.allowRepeats = true;
    EXPECT_EQ(PlanImport(csv, repeats, {dec31}).rows.size(), 3u);
}

TEST(ImportPlan, MapNamesColumnsAndMissingOnesListTheHeaders) {
    const CsvTable csv = ParseCsv("When,Orders,Net sales,Refunds,Refund value,Visits\n2024-01-01,1,2,0,0,3\n");
    try {
        PlanImport(csv, {}, {});
        FAIL();
    } catch (const ImportError& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("date (looked for date, day)"), std::string::npos) << what;
        EXPECT_NE(what.find("order_value"), std::string::npos) << what;
        EXPECT_NE(what.find("visitors"), std::string::npos) << what;
        EXPECT_NE(what.find("\"When\", \"Orders\", \"Net sales\""), std::string::npos) << what;
    }
    ImportOptions options;
    ParseColumnMap("visitors=VISITS,order_value=\"Net sales\",date=when", options);
    const ImportPlan plan = PlanImport(csv, options, {});
    ASSERT_EQ(plan.rows.size(), 1u);
    EXPECT_EQ(plan.rows[0].texts, (EntryTexts{"01/01/2024", "1", "2", "0", "0", "3"}));

    ImportOptions wrong;
    EXPECT_THROW(ParseColumnMap("colour=Red", wrong), ImportError);
    EXPECT_THROW(ParseColumnMap("visitors", wrong), ImportError);
    EXPECT_THROW(ParseColumnMap("visitors=\"open", wrong), ImportError);
    ParseColumnMap("visitors=Nowhere", wrong);
    EXPECT_THROW(PlanImport(csv, wrong, {}), ImportError);
}
