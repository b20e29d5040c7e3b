// Job files: the JSON reader under them, a list written and read back to the
// same variants, a file written by hand, and damaged files refused at the
// line that is wrong.

#include "encode/job_file.h"

#include <gtest/gtest.h>

#include "core/json_reader.h"
#include "encode/filter_ladder.h"
#include "encode/job_file_listing.h"

namespace zq48 {
namespace {

MediaFacts Facts(bool audio) {
  MediaFacts f;
  f.hasVideo = true;
  f.hasAudio = audio;
  f.width = 320;
  f.height = 240;
  f.frameRate = 25;
  return f;
}

JobFile Parse(const std::string& text, const std::string& folder = "/jobs") {
  auto read = ParseJobFile(text, folder);
  if (auto* error = std::get_if<JobFileError>(&read)) ADD_FAILURE() << "line " << error->line << ": " << error->text;
  return std::holds_alternative<JobFile>(read) ? std::get<JobFile>(read) : JobFile{};
}

JobFileError Refusal(const std::string& text) {
  auto read = ParseJobFile(text, "/jobs");
  EXPECT_TRUE(std::holds_alternative<JobFileError>(read)) << text;
  return std::holds_alternative<JobFileError>(read) ? std::get<JobFileError>(read) : JobFileError{};
}

TEST(JsonReader, ReadsStringsNumbersAndNestingWithTheirLines) {
  auto read = ParseJson("\xEF\xBB\xBF{\"a\": [1, -2.5e1, true, null],\n \"b\": \"q\\\"\\\\\\u00e9\\ud83d\\ude00\",\n"
                        " \"c\": {\"d\": 0.1}}");
  ASSERT_TRUE(std::holds_alternative<JsonValue>(read));
  const JsonValue& doc = std::get<JsonValue>(read);
  ASSERT_EQ(doc.Find("a")->Items().size(), 4u);
  EXPECT_EQ(doc.Find("a")->Items()[0].Whole(), 1);
  EXPECT_EQ(doc.Find("a")->Items()[1].Double(), -25.0);
  EXPECT_EQ(doc.Find("a")->Items()[1].Whole(), -25);  // a whole number in any notation
  EXPECT_TRUE(doc.Find("a")->Items()[2].Bool());
  EXPECT_TRUE(doc.Find("a")->Items()[3].IsNull());
  EXPECT_EQ(doc.Find("b")->Text(), "q\"\\\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_EQ(doc.Find("b")->line(), 2);
  EXPECT_EQ(doc.Find("c")->Find("d")->line(), 3);
  EXPECT_EQ(doc.Find("c")->Find("d")->Float(), 0.1f);  // read as a float, not through a double
  EXPECT_EQ(doc.Find("c")->Find("d")->Whole(), std::nullopt);

  struct Bad {
    const char* text;
    int line;
  } bad[] = {{"", 1},
             {"{\"a\": 1,\n}", 2},
             {"{\"a\": 1\n\"b\": 2}", 2},
             {"{\"a\": 1, \"a\": 2}", 1},
             {"[1, 2\n\n", 3},
             {"{\"a\": 01}", 1},
             {"{\"a\": 1.}", 1},
             {"{\"a\": \"\n\"}", 1},
             {"{\"a\": \"\\x\"}", 1},
             {"{\"a\": \"\\ud800\"}", 1},
             {"{\"a\": \"\xC3\"}", 1},
             {"{\"a\": tru}", 1},
             {"{} {}", 1},
             {"\n\n{\"a\": nan}", 3}};
  for (const Bad& b : bad) {
    auto result = ParseJson(b.text);
    ASSERT_TRUE(std::holds_alternative<JsonError>(result)) << b.text;
    EXPECT_EQ(std::get<JsonError>(result).line, b.line) << b.text << ": " << std::get<JsonError>(result).text;
  }
  EXPECT_TRUE(std::holds_alternative<JsonError>(ParseJson(std::string(100000, '['))));
}

// A list with a file edited by hand and one that follows the ladder comes
// back as the same variants, options and settings.
TEST(JobFile, AListWrittenAndReadBackGivesTheSameVariants) {
  InputCatalog catalog;
  EncodeSettings& s = catalog.Settings();
  s.setDestinationFolder("/out");
  s.rangeBegin = 100;
  s.rangeEnd = 600;
  s.quality = 70;
  s.titleImageOn = true;
  s.titleImagePath = "/img/title \"one\".png";
  s.webPageOn = false;
  const std::string edited = "/in/edited clip.avi", ladder = "/in/ladder.avi";
  for (const std::string& path : {edited, ladder}) {
    catalog.AddInputPath(path);
    catalog.MutableFacts(path) = Facts(true);
  }
  FileOptions& o = catalog.MutableOptions(edited);
  o.volume = 1.2f;
  o.beginTime = static_cast<double>(0.1f);
  o.endTime = 0.75;
  o.cropLeft = 2;
  o.cropBottom = 6;
  GenerateSimpleFilters(catalog, edited);
  catalog.FilterAt(edited, 0)->frameRate = 12.345;
  catalog.FilterAt(edited, 1)->volume = 0.7f;
  catalog.FilterAt(edited, 1)->audioBitRate = 32;
  catalog.RemoveFilter(edited, catalog.FilterAt(edited, 2));
  catalog.SetCustomFilters(edited, true);
  catalog.MutableOptions(ladder).volume = 0.9f;
  GenerateSimpleFilters(catalog, ladder);

  const std::string text = JobFileText(JobFileOf(catalog));
  JobFile job = Parse(text);
  InputCatalog read;
  ApplyJobSettings(job, read.Settings());
  EXPECT_EQ(read.Settings(), catalog.Settings());
  ASSERT_EQ(job.files.size(), 2u);
  for (const JobFileEntry& entry : job.files) {
    read.AddInputPath(entry.path);
    read.MutableFacts(entry.path) = Facts(true);
    EXPECT_EQ(ListJobEntry(entry, read), std::nullopt);
  }
  EXPECT_EQ(read.InputPaths(), catalog.InputPaths());
  for (const std::string& path : {edited, ladder}) {
    EXPECT_EQ(read.Options(path), catalog.Options(path)) << path;
    EXPECT_EQ(read.IsCustomFilters(path), catalog.IsCustomFilters(path)) << path;
    ASSERT_EQ(read.FilterCount(path), catalog.FilterCount(path)) << path;
    for (std::size_t i = 0; i < read.FilterCount(path); ++i)
      EXPECT_EQ(*read.FilterAt(path, i), *catalog.FilterAt(path, i)) << path << " " << i;
  }
  // One key a line: the variants of the edited file stand each on a line of its own.
  EXPECT_NE(text.find("\n        {\"w\": "), std::string::npos) << text;
  EXPECT_EQ(text.find("\"variants\"", text.find(ladder)), std::string::npos);
}

// Written by hand: relative paths, keys left out, keys this version does
// not know, a variant without video that names no picture.
TEST(JobFile, AJobWrittenByHandIsReadWithItsDefaults) {
  JobFile job = Parse(R"({"version": 1, "comment": "mine", "destination": "../out",
    "files": [{"path": "films/a.avi", "note": 3},
              {"path": "/abs/b.avi", "volume": 1.5, "crop": "1:2:3:4",
               "variants": [{"video": 0, "audio": 16, "rate": 16000, "channels": 1},
                            {"w": 160, "h": 120, "fps": 7.5, "video": 100, "audio": 0, "extra": []}]}]})",
                      "/home/u/jobs");
  EXPECT_EQ(job.destination, "/home/u/out");
  EXPECT_EQ(job.rangeBegin, kDefaultRangeBegin);
  EXPECT_EQ(job.quality, kDefaultQuality);
  EXPECT_TRUE(job.webPage);
  ASSERT_EQ(job.files.size(), 2u);
  EXPECT_EQ(job.files[0].path, "/home/u/jobs/films/a.avi");
  EXPECT_FALSE(job.files[0].variants);

  InputCatalog catalog;
  catalog.AddInputPath("/abs/b.avi");
  catalog.MutableFacts("/abs/b.avi") = Facts(true);
  ASSERT_EQ(ListJobEntry(job.files[1], catalog), std::nullopt);
  ASSERT_EQ(catalog.FilterCount("/abs/b.avi"), 2u);
  const OutputFilter& sound = *catalog.FilterAt("/abs/b.avi", 0);
  EXPECT_EQ(sound.videoOn, 0);
  EXPECT_EQ(sound.audioBitRate, 16);
  EXPECT_EQ(sound.volume, 1.5f);  // the file's
  EXPECT_EQ(sound.frameRate, 25);  // the file's own, naming only
  EXPECT_EQ(sound.cropTop, 3);
  const OutputFilter& picture = *catalog.FilterAt("/abs/b.avi", 1);
  EXPECT_EQ(picture.audioOn, 0);
  EXPECT_EQ(picture.width, 160);
  EXPECT_EQ(picture.frameRate, 7.5);  // exactly as given

  // A crop the file's picture cannot take is refused at its line, and nothing changes.
  JobFile wide = Parse("{\"version\": 1, \"files\": [\n{\"path\": \"/abs/b.avi\", \"crop\": \"200:120:0:0\"}]}");
  auto problem = ListJobEntry(wide.files[0], catalog);
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem->line, 2);
  EXPECT_EQ(problem->text, "/abs/b.avi: Cropping left plus right must be less than width of film.");
  EXPECT_EQ(catalog.FilterCount("/abs/b.avi"), 2u);
}

TEST(JobFile, DamagedJobFilesAreRefusedAtTheirLine) {
  struct Case {
    const char* text;
    int line;
    const char* says;
  } cases[] = {
      {"{\"files\": []}", 1, "no \"version\""},
      {"{\"version\": 2,\n \"files\": []}", 1, "version 2"},
      {"{\"version\": 1}", 1, "no \"files\""},
      {"{\"version\": 1,\n\"quality\": 101, \"files\": []}", 2, "\"quality\" must be a whole number from 0 to 100"},
      {"{\"version\": 1,\n\"range_end_kbps\": 47, \"files\": []}", 2, "from 48 to 900"},
      {"{\"version\": 1,\n\"web_page\": \"yes\", \"files\": []}", 2, "true or false"},
      {"{\"version\": 1, \"files\": [\n{\"volume\": 1}]}", 2, "no \"path\""},
      {"{\"version\": 1, \"files\": [{\"path\": \"a.avi\",\n\"volume\": 2}]}", 2, "0.5 to 1.5"},
      {"{\"version\": 1, \"files\": [{\"path\": \"a.avi\",\n\"crop\": \"1:2:3\"}]}", 2, "LEFT:RIGHT:TOP:BOTTOM"},
      {"{\"version\": 1, \"files\": [{\"path\": \"a.avi\", \"begin_s\": 2,\n\"end_s\": 1}]}", 1,
       "Begin time must be less than end time."},
      {"{\"version\": 1, \"files\": [{\"path\": \"a.avi\", \"variants\": [\n{\"video\": 100, \"audio\": 0}]}]}", 2,
       "the variant has no \"w\""},
      {"{\"version\": 1, \"files\": [{\"path\": \"a.avi\", \"variants\": [\n"
       "{\"w\": 1, \"h\": 1, \"fps\": 5, \"video\": 100, \"audio\": 24, \"rate\": 8000, \"channels\": 1}]}]}",
       2, "8, 16 or 32 kbps"},
      {"{\"version\": 1, \"files\": [{\"path\": \"a.avi\", \"variants\": [{\"video\": 0, \"audio\": 8,\n"
       "\"rate\": 8000, \"channels\": 1, \"crop\": \"0:0:-1:0\"}]}]}",
       2, "Top offset must be non-negative value."},
      {"{\"version\": 1, \"files\": [\n{\"path\": \"a.avi\", \"variants\": \"all\"}]}", 2, "must be a list"},
      {"{\"version\": 1, \"files\": [\n{\"path\": \"a.avi\",}]}", 2, "expected a key"},
  };
  for (const Case& c : cases) {
    JobFileError e = Refusal(c.text);
    EXPECT_EQ(e.line, c.line) << c.text << "\n" << e.text;
    EXPECT_NE(e.text.find(c.says), std::string::npos) << c.text << "\n" << e.text;
  }
}

}  // namespace
}  // namespace zq48
