// Protocol state: records, frame-buffer size, where pixels land, loads.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "server/packet_reader.h"
#include "server/records.h"
#include "server/state.h"
#include "stream.h"

using namespace fbtest;
using server::DisplayState;

namespace {

// Applies every packet of a well-formed stream.
void apply_stream(DisplayState& st, const Bytes& s) {
  std::size_t off = 0;
  while (off + 16 <= s.size()) {
    const auto h = server::header_at(s.data() + off);
    const std::size_t n = display::data_length(h);
    st.apply(h, std::span<const std::uint8_t>(s.data() + off + 16, n));
    off += 16 + n;
  }
}

std::span<const std::uint8_t> text(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

}  // namespace

TEST(WorldCoord, DemonstrationLoadRecord) {
  const std::string rec = demo_record();
  ASSERT_EQ(rec.size(), 73u);
  const auto wc = server::parse_world_coord(text(rec));
  ASSERT_TRUE(wc);
  EXPECT_EQ(wc->title, "Focus Sequence");
  EXPECT_TRUE(wc->numbers_ok);
  EXPECT_DOUBLE_EQ(wc->tx, -30.5);
  EXPECT_DOUBLE_EQ(wc->ty, 97.5);
  EXPECT_EQ(wc->first_column(), 32);
  EXPECT_EQ(wc->top_line(), 96);
  EXPECT_EQ(wc->z1_text, "0.50251E+01");
  EXPECT_EQ(wc->z2_text, "0.10050E+04");
  EXPECT_NEAR(wc->z1, 5.0251, 1e-9);
  EXPECT_NEAR(wc->z2, 1005.0, 1e-9);
  EXPECT_EQ(wc->ztrans, 1);
}

TEST(WorldCoord, FirstRecordCoversTheWholeBuffer) {
  struct Case {
    int choice, width, height;
  };
  for (const Case c : {Case{11, 128, 128}, Case{1, 512, 512}, Case{13, 90, 90}, Case{7, 4096, 1024}}) {
    SCOPED_TRACE(c.choice);
    DisplayState st;
    apply_stream(st, first_world_coord(c.choice));
    EXPECT_EQ(st.frame().width, c.width);
    EXPECT_EQ(st.frame().height, c.height);
    ASSERT_TRUE(st.has_record());
    EXPECT_EQ(st.record().title, "");
    EXPECT_EQ(st.record().first_column(), 0);
    EXPECT_EQ(st.record().top_line(), c.height - 1);
  }
}

TEST(WorldCoord, MalformedRecordsAreNotedNotFatal) {
  struct Case {
    const char* name;
    std::string record;
    bool parsed;
  };
  const Case cases[] = {{"no newline", "just a title", false},
                        {"missing numbers", "T\n1. 0. 0.\n", true},
                        {"letters", "T\n1. 0. 0. -1. a b c d 1\n", true},
                        {"empty", "", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto wc = server::parse_world_coord(text(c.record));
    EXPECT_EQ(wc.has_value(), c.parsed);
    if (wc) {
      EXPECT_FALSE(wc->numbers_ok);
    }
    DisplayState st;
    const auto note = st.apply(server::header_at(world_coord(c.record, 11).data()), text(c.record));
    EXPECT_TRUE(note.has_value());
    EXPECT_EQ(st.frame().width, 128);  // the size word still counts
  }
}

TEST(WorldCoord, UnknownSizeSelectorKeepsTheBuffer) {
  DisplayState st;
  apply_stream(st, first_world_coord(11));
  const Bytes p = world_coord(demo_record(), 40);
  const auto note = st.apply(server::header_at(p.data()), std::span<const std::uint8_t>(p.data() + 16, p.size() - 16));
  ASSERT_TRUE(note);
  EXPECT_NE(note->find("size"), std::string::npos);
  EXPECT_EQ(st.frame().width, 128);
}

TEST(Pixels, BlockTransferLandsOnLines33To96) {
  DisplayState st;
  Bytes s = demo_stream(0);
  const auto img = star_image(16);
  append(s, world_coord(demo_record(), 11));
  append(s, star_block(img));
  apply_stream(st, s);
  const auto& fb = st.frame();
  ASSERT_EQ(fb.width, 128);
  // Image row k (1..64) is on frame line 97 - k, columns 32..95.
  for (int k = 1; k <= 64; ++k)
    for (int i = 1; i <= 64; ++i)
      ASSERT_EQ(fb.at(31 + i, 97 - k), img[static_cast<std::size_t>((k - 1) * 64 + i - 1)]) << k << "," << i;
  // Around the image all is 0 (erased, and the block's lines carry zeros).
  for (int line : {0, 32, 97, 127})
    for (int col = 0; col < 128; ++col) ASSERT_EQ(fb.at(col, line), 0) << line << "," << col;
  EXPECT_EQ(fb.at(63, 64), 200);  // star centre of the narrowest frame
}

TEST(Pixels, LineTransferWritesOneRowFromItsColumn) {
  struct Case {
    const char* name;
    std::uint16_t x, y;
    std::size_t length;
    int column, line;
    std::size_t written;
  };
  const Case cases[] = {{"inside", 0x8000 | 10, 0x8000 | 50, 20, 10, 50, 20},
                        {"line 0", 0x8000 | 5, 0x8000 | 0, 8, 5, 0, 8},
                        {"top line", 0x8000 | 1, 0x8000 | 127, 8, 1, 127, 8},
                        {"past the line end", 0x8000 | 120, 0x8000 | 60, 20, 120, 60, 8},
                        {"above the buffer", 0x8000 | 3, 0x8000 | 128, 8, 3, 128, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DisplayState st;
    apply_stream(st, first_world_coord(11));
    Bytes row(c.length);
    for (std::size_t i = 0; i < row.size(); ++i) row[i] = static_cast<std::uint8_t>(100 + i);
    const Bytes p = packet(0x7200, static_cast<std::int16_t>(-static_cast<int>(c.length)), 1, c.x, c.y, 1, 255, row);
    st.apply(server::header_at(p.data()), std::span<const std::uint8_t>(p.data() + 16, c.length));
    std::size_t seen = 0;
    const auto& fb = st.frame();
    for (int line = 0; line < 128; ++line)
      for (int col = 0; col < 128; ++col) {
        const auto v = fb.at(col, line);
        if (v == 0) continue;
        ++seen;
        EXPECT_EQ(line, c.line);
        EXPECT_EQ(v, 100 + (col - c.column));
      }
    EXPECT_EQ(seen, c.written);
    EXPECT_EQ(st.clipped_bytes(), c.length - c.written);
  }
}

TEST(Pixels, LineTransferLoadGivesAreaOfTheRows) {
  DisplayState st;
  apply_stream(st, first_world_coord(11));
  std::vector<server::LoadInfo> loads;
  st.on_load = [&](const DisplayState&, const server::LoadInfo& info) { loads.push_back(info); };
  // 10 x 4 image at column 7 with its first row on line 20 (record: 1.5 - 7, 20 + 1.5).
  std::string rec = "small\n1. 0. 0. -1.    -5.5    21.5  0.10000E+01  0.20000E+01 1\n";
  rec.push_back('\0');
  Bytes s = world_coord(rec, 11);
  for (int k = 1; k <= 4; ++k)
    append(s, packet(0x7200, -10, 1, 0x8000 | 7, static_cast<std::uint16_t>(0x8000 | (21 - k)), 1, 255, Bytes(10, 50)));
  apply_stream(st, s);
  st.end_of_stream();
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_EQ(loads[0].area.column, 7);
  EXPECT_EQ(loads[0].area.top, 20);
  EXPECT_EQ(loads[0].area.width, 10);
  EXPECT_EQ(loads[0].area.height, 4);
  EXPECT_EQ(st.frame().at(7, 17), 50);
  EXPECT_EQ(st.frame().at(16, 20), 50);
  EXPECT_EQ(st.frame().at(17, 20), 0);
  EXPECT_EQ(st.frame().at(7, 16), 0);
}

TEST(Loads, EachRecordFollowedByPixelsIsOneLoad) {
  DisplayState st;
  std::vector<server::LoadInfo> loads;
  std::vector<std::uint8_t> centre;
  st.on_load = [&](const DisplayState& s, const server::LoadInfo& info) {
    loads.push_back(info);
    centre.push_back(s.frame().at(63, 64));
  };
  apply_stream(st, demo_stream(3));
  EXPECT_EQ(st.loads(), 2u);  // the third is complete only when the stream ends
  EXPECT_TRUE(st.load_in_progress());
  st.end_of_stream();
  ASSERT_EQ(loads.size(), 3u);
  EXPECT_FALSE(st.load_in_progress());
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(loads[i].number, i + 1);
    EXPECT_EQ(loads[i].record.title, "Focus Sequence");
    EXPECT_EQ(loads[i].area.column, 32);
    EXPECT_EQ(loads[i].area.top, 96);
    EXPECT_EQ(loads[i].area.width, 64);
    EXPECT_EQ(loads[i].area.height, 64);
    // The picture handed out is that load's, not the next one's.
    EXPECT_EQ(centre[i], star_image(static_cast<int>(i) + 1)[31 * 64 + 31]);
  }
  const auto& k = st.kinds();
  EXPECT_EQ(k.start, 1u);
  EXPECT_EQ(k.world, 4u);
  EXPECT_EQ(k.erase, 1u);
  EXPECT_EQ(k.draw, 1u);
  EXPECT_EQ(k.table, 1u);
  EXPECT_EQ(k.pixel, 3u);
  EXPECT_EQ(st.table_value(), 768);
}

TEST(Loads, RecordsWithoutPixelsAreNoLoad) {
  DisplayState st;
  Bytes s = demo_stream(0);
  append(s, world_coord(demo_record(), 11));
  append(s, world_coord(demo_record(), 11));
  apply_stream(st, s);
  st.end_of_stream();
  EXPECT_EQ(st.loads(), 0u);
}

TEST(Erase, ClearsTheFrameBuffer) {
  DisplayState st;
  apply_stream(st, demo_stream(1));
  EXPECT_EQ(st.frame().at(63, 64), star_image(1)[31 * 64 + 31]);
  EXPECT_GT(st.frame().at(63, 64), 0);
  apply_stream(st, erase_packet(11));
  for (auto v : st.frame().pixels) ASSERT_EQ(v, 0);
}

TEST(Draw, CursorEraseRecordIsParsed) {
  DisplayState st;
  apply_stream(st, cursor_draw_packet());
  ASSERT_TRUE(st.last_draw());
  const auto& d = *st.last_draw();
  EXPECT_EQ(d.code1, 10);
  EXPECT_EQ(d.code2, 256);
  EXPECT_EQ(d.code3, 201);
  EXPECT_DOUBLE_EQ(d.x, 1.0);
  EXPECT_DOUBLE_EQ(d.y, 1.0);
  EXPECT_DOUBLE_EQ(d.value1, 1.0);
  EXPECT_DOUBLE_EQ(d.value2, 1.0);
  EXPECT_DOUBLE_EQ(d.value3, 0.0);
  EXPECT_TRUE(d.extra.empty());
}

TEST(Draw, ExtraValuesAndOverflowedFields) {
  char buf[100];
  std::snprintf(buf, sizeof buf, "%2d %4d %8d %9.3f %9.3f %9.3f %9.3f %9.3f %9.3f %9.3f ", 1, 1280, 0, 12.5,
                -30.25, 2.0, 3.0, 0.0, 4.5, -1.25);
  const std::string with_extra = buf;
  ASSERT_EQ(with_extra.size(), 87u);
  const auto d = server::parse_draw(text(with_extra));
  ASSERT_TRUE(d);
  EXPECT_EQ(d->code2, 1280);
  EXPECT_DOUBLE_EQ(d->y, -30.25);
  ASSERT_EQ(d->extra.size(), 2u);
  EXPECT_DOUBLE_EQ(d->extra[1], -1.25);
  std::string overflow = with_extra;
  overflow.replace(17, 9, "*********");
  EXPECT_FALSE(server::parse_draw(text(overflow)));
  EXPECT_FALSE(server::parse_draw(text("10  256")));
}

TEST(Kinds, UnknownKindIsCountedAndNoted) {
  DisplayState st;
  const Bytes p = packet(0x4000, -4, 42, 0, 0, 1, 0, Bytes(4, 1));
  const auto note = st.apply(server::header_at(p.data()), std::span<const std::uint8_t>(p.data() + 16, 4));
  ASSERT_TRUE(note);
  EXPECT_NE(note->find("unknown kind 42"), std::string::npos);
  EXPECT_EQ(st.kinds().unknown, 1u);
}

TEST(Robustness, RandomWellFormedPacketsStayInsideTheBuffer) {
  // Headers that pass the checksum but carry any kind, coordinates, sizes and
  // data: the state must neither crash nor write outside the frame buffer
  // (the sanitizer build checks the second).
  std::uint32_t seed = 7;
  auto rnd = [&]() {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  DisplayState st;
  std::uint64_t completed = 0;
  st.on_load = [&](const DisplayState& s, const server::LoadInfo& info) {
    ++completed;
    EXPECT_GE(info.area.column, 0);
    EXPECT_LE(info.area.column + info.area.width, s.frame().width);
    EXPECT_LT(info.area.top, s.frame().height);
    EXPECT_GE(info.area.top - info.area.height + 1, 0);
  };
  const std::int16_t kinds[] = {1, 1, 1, 17, 5, 13, 2, 12, 99};
  for (int n = 0; n < 3000; ++n) {
    const std::int16_t kind = kinds[rnd() % 9];
    Bytes data(rnd() % 9000);
    for (auto& b : data) b = static_cast<std::uint8_t>(rnd());
    if (kind == 17 && rnd() % 2) {
      char rec[128];
      std::snprintf(rec, sizeof rec, "t\n1. 0. 0. -1. %.1f %.1f 1. 2. 1\n", static_cast<double>(rnd() % 5000) - 2500.5,
                    static_cast<double>(rnd() % 5000) - 2500.5);
      data.assign(rec, rec + std::strlen(rec));
    }
    const std::int16_t t = kind == 17 ? static_cast<std::int16_t>(rnd() % 14 == 0 ? 12 : (rnd() % 2 ? 10 : 12))
                                      : static_cast<std::int16_t>(rnd());
    // Coordinates mostly near the buffer, sometimes anywhere.
    const std::uint16_t x = static_cast<std::uint16_t>(rnd() % 4 == 0 ? rnd() : 0x8000 | (rnd() % 2 ? 0 : rnd() % 600));
    const std::uint16_t y = static_cast<std::uint16_t>(rnd() % 4 == 0 ? rnd() : 0x8000 | (rnd() % 600));
    const Bytes p = packet(0x4000, static_cast<std::int16_t>(-static_cast<int>(data.size())), kind, x, y, 1, t, data);
    st.apply(server::header_at(p.data()), std::span<const std::uint8_t>(p.data() + 16, data.size()));
  }
  st.end_of_stream();
  EXPECT_GT(completed, 10u);
  EXPECT_EQ(st.loads(), completed);
}
