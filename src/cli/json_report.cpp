#include "cli/json_report.h"

#include <cmath>
#include <string>
#include <vector>

namespace zq48::cli {

namespace {

JsonObject Event(const char* name) {
  JsonObject o;
  o.Add("event", name);
  return o;
}

// Decibels to a hundredth, the precision they mean anything at.
double Db(double value) { return std::round(value * 100.0) / 100.0; }

// What a variant event and the job's summary say of a variant.
JsonObject& AddVariant(JsonObject& o, const VariantResult& v, int variantIndex) {
  o.Add("file", v.path)
      .Add("file_index", v.fileIndex)
      .Add("variant_index", variantIndex)
      .Add("width_px", v.filter.width)
      .Add("height_px", v.filter.height)
      .Add("frame_rate_fps", v.filter.frameRate)
      .Add("target_video_bit_rate_kbps", v.filter.videoBitRate)
      .Add("target_audio_bit_rate_kbps", v.filter.audioBitRate);
  if (!v.finished) return o;
  if (!v.videoFile.empty())
    o.Add("video_file", v.videoFile).Add("video_bit_rate_bps", v.videoRate).Add("video_file_bytes", v.videoBytes);
  if (!v.audioFile.empty())
    o.Add("audio_file", v.audioFile).Add("audio_bit_rate_bps", v.audioRate).Add("audio_file_bytes", v.audioBytes);
  if (v.quality.measured())
    o.Add("psnr_y_db", Db(v.quality.psnrYDb))
        .Add("psnr_db", Db(v.quality.psnrDb))
        .Add("worst_psnr_y_db", Db(v.quality.worstPsnrYDb))
        .Add("worst_at_s", std::round(v.quality.worstAtSeconds * 1000.0) / 1000.0);
  return o;
}

}  // namespace

void JsonReport::Write(const JsonObject& event) {
  std::fprintf(out_, "%s\n", event.Text().c_str());
  std::fflush(out_);  // a reader follows the lines as they come
}

void JsonReport::TakeHeld(JsonObject& event) {
  std::string text, caption;
  for (const zq48::Message& m : held_) {
    text += (text.empty() ? "" : "\n") + m.text;
    if (caption.empty()) caption = m.caption;
  }
  if (held_.empty()) {  // refused without a word (an empty file, say)
    caption = "zq48enc";
    text = "not accepted";
  }
  held_.clear();
  event.Add("caption", caption).Add("message", text);
}

void JsonReport::FlushHeld() {
  for (const zq48::Message& m : held_) Write(Event("error").Add("caption", m.caption).Add("message", m.text));
  held_.clear();
}

void JsonReport::Message(const zq48::Message& message) {
  std::lock_guard lock(mutex_);
  held_.push_back(message);
}

void JsonReport::Question(const std::string& text, const std::string& caption) {
  std::lock_guard lock(mutex_);
  Write(Event("question").Add("caption", caption).Add("message", text).Add("answer", "yes"));
}

void JsonReport::FileRefused(const std::string& path, const std::string& why) {
  std::lock_guard lock(mutex_);
  JsonObject event = Event("file_refused");
  event.Add("file", path);
  if (why.empty())
    TakeHeld(event);
  else
    event.Add("caption", "zq48enc").Add("message", why);
  Write(event);
}

void JsonReport::VariantRefused(const std::string& path, const std::string& text) {
  std::lock_guard lock(mutex_);
  JsonObject event = Event("variant_refused");
  event.Add("file", path).Add("variant", text);
  // Each refused variant was refused with one message, in the same order.
  zq48::Message m = held_.empty() ? zq48::Message{} : held_.front();
  if (!held_.empty()) held_.pop_front();
  event.Add("caption", m.caption).Add("message", m.text);
  Write(event);
}

void JsonReport::FileSkipped(const std::string& path) {
  std::lock_guard lock(mutex_);
  Write(Event("file_skipped").Add("file", path).Add("reason", "its package is complete"));
}

void JsonReport::FileIncomplete(const std::string& path, const std::string& problem) {
  std::lock_guard lock(mutex_);
  Write(Event("file_incomplete").Add("file", path).Add("problem", problem));
}

void JsonReport::JobMessage(const std::string& path, int variantIndex, const zq48::Message& m) {
  std::lock_guard lock(mutex_);
  FlushHeld();
  if (path.empty()) {
    Write(Event("error").Add("caption", m.caption).Add("message", m.text));
    return;
  }
  Write(Event("file_failed")
            .Add("file", path)
            .Add("variant_index", variantIndex)
            .Add("caption", m.caption)
            .Add("message", m.text));
}

void JsonReport::Progress(const JobProgress& p, int fileIndex, std::size_t files, std::int64_t elapsed) {
  std::lock_guard lock(mutex_);
  FlushHeld();
  Write(Event("progress")
            .Add("file_index", fileIndex)
            .Add("files", static_cast<std::uint64_t>(files))
            .Add("file", p.sourcePath)
            .Add("file_percent", BarPercent(p.filePosition, p.fileUpper))
            .Add("job_percent", BarPercent(p.jobPosition, p.jobUpper))
            .Add("file_done_s", p.filePosition)
            .Add("file_planned_s", p.fileUpper)
            .Add("job_done_s", p.jobPosition)
            .Add("job_planned_s", p.jobUpper)
            .Add("elapsed_s", elapsed)
            .Add("estimated_total_s", EstimatedTotalSeconds(p.jobUpper, p.jobPosition, elapsed)));
}

void JsonReport::Variant(const VariantResult& v, int variantIndex) {
  std::lock_guard lock(mutex_);
  JsonObject event = Event(v.finished ? "variant_finished" : "variant_failed");
  Write(AddVariant(event, v, variantIndex));
}

void JsonReport::Ended(const RunSummary& s) {
  std::lock_guard lock(mutex_);
  FlushHeld();
  std::vector<std::string> variants;
  for (const VariantResult& v : s.job.variants) {
    JsonObject o;
    variants.push_back(AddVariant(o.Add("finished", v.finished), v, v.variantIndex).Text());
  }
  Write(Event("job_finished")
            .Add("files", s.files)
            .Add("files_encoded", s.job.filesEncoded)
            .Add("files_skipped", s.skipped)
            .Add("files_refused", s.refused)
            .Add("files_failed", s.job.filesFailed)
            .Add("variants_finished", s.job.variantsFinished)
            .Add("variants_failed", s.job.variantsFailed)
            .Add("variants_refused", s.variantsRefused)
            .Add("stopped", s.job.stopped)
            .Add("exit_status", s.exitStatus)
            .AddRaw("variants", JsonArray(variants)));
}

}  // namespace zq48::cli
