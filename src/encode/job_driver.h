#pragma once

// How an encode job runs: read this first.
//
// Threads. The front end's thread calls the Engine (engine.h), which hands
// Encode, Pause, Resume and Stop to the EncodeController. Encode takes the
// job's snapshot (a read-only copy of the catalog with the planned amounts)
// and starts this driver: one thread with a mailbox (core/message_thread.h)
// whose handlers do everything below, one message at a time. For each
// variant, or each group of variants one decode can feed (variant_group.h),
// the driver makes the decode workers (pipeline/worker_factory.h), each with
// a thread of its own:
//   - general path: a GeneralDecodeWorker running a VariantDecode (one
//     variant) or a GroupDecode (every variant of the group). Its decode
//     graph (sources/decode_graph.h) reads and decodes on threads of its
//     own; a group's pictures and sound go to one VariantPipeline per
//     variant, a thread running that variant's stages;
//   - movie files: a MovieWorker for the video and one for the sound, each
//     extracting the movie once for all variants of its group.
// The stages (video/, audio/) know no job: they write into the variant's
// VariantOutputs (pipeline/variant_outputs.h), which puts the bytes into the
// variant's working stream files and its positions into the job state.
//
// Queues. Messages carry only their id (job_messages.h): a worker is made
// with its job context and its variants' plans. Pictures and sound pass
// through each VariantPipeline's bounded queue, so a slow variant holds its
// decode back instead of filling memory; a group shares each decoded
// picture between its variants (core/buffer_pool.h), never copying it.
//
// Locks. What changes while the job runs sits in JobState (job_state.h),
// each part under its own lock, never two at once (Guarded<T> aborts a
// thread that tries): lock A the done amounts, lock B the variant in
// progress, the video and audio file locks, the flags lock (running,
// paused, stopped). The snapshot needs no lock: it does not change. Each
// variant of a group has a JobState of its own.
//
// The path of one variant. OnStart (first) or OnNext (after each variant):
// PrepareVariant publishes the variant under lock B; StartWorkers checks the
// free space (RoomFor; a variant without room is skipped with a message)
// and makes the workers; they create the working stream files and decode;
// the end comes as the graph event kGraphEventComplete (general path, seen
// by the controller's OnGraphEvent, which posts WM_JOB_NEXT) or as both
// movie workers' done messages. OnNext joins the workers and FinishVariant
// (package/finish_variant.cpp) checks the streams are whole, writes their
// headers and renames them to their measured rates; the job's events hear
// VariantFinished. After a file's last variant FinishFile writes its page
// and metafile (a file without variants is reported and passed over:
// PassFilesWithoutVariants); after the last file the player archive and
// button strip are written and the thread ends, its exit step telling the front end
// JobFinished with the job's summary (job_tally.h). Stop deletes the working
// files of the variants in progress; whatever was finished stays.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/message_thread.h"
#include "encode/pipeline/decode_workers.h"
#include "encode/job_context.h"
#include "encode/job_tally.h"
#include "encode/package/job_outputs.h"
#include "encode/variant_group.h"

namespace zq48 {

// The job driver: walks the snapshot's input files in list order and, for
// each, its variants in list order. For every variant it starts the decode
// workers, waits for them to end (end of stream for the general path, both
// done messages for movie files), finishes the variant, and after a file's
// last variant writes its page and metafile; after the last file it writes
// the package resources and ends. Everything happens in message handlers,
// one at a time, on the driver's own thread; its thread's end tells the
// front end. Start, Post, Join and Ended are its thread's (see MessageThread).
class MainEncodeThread final {
 public:
  // `tally` counts the variants and files the job finishes, for its summary.
  MainEncodeThread(JobContext& context, WorkerFactory& workers, JobOutputs& outputs, JobTally& tally);

  void Start() { thread_.Start(); }
  void Post(MessageId message) { thread_.Post(message); }
  void Join() { thread_.Join(); }
  bool Ended() const { return thread_.Ended(); }

  // Runs `use` with the general worker of the current variant (or null)
  // while that worker cannot be replaced: for the graph-event handler.
  bool WithGeneralWorker(const std::function<bool(GeneralWorker*)>& use);

 private:
  void OnStart();
  void OnNext();
  void OnPause();
  void OnResume();
  void OnStop();
  void OnMovieWorkerDone(bool video);
  void OnExit();

  // The path at the current file index, or empty.
  std::string CurrentPath();
  // Reports and passes over the files from the current one on that have no variant.
  void PassFilesWithoutVariants();
  // Writes what the job's pages share and ends the thread.
  void EndJob();
  // Publishes the current variant of `path` to the job state; false (with
  // a quit posted) when the file has no variant at the current index.
  bool PrepareVariant(const std::string& path);
  void StartWorkers(const std::string& path);
  // Starts one decode for the group of variants from the current one on;
  // false when the variants are to go one at a time.
  bool StartGroup(const std::string& path);
  bool StartMovieGroup(const std::string& path, bool hasAudio, bool hasVideo);
  std::vector<std::unique_ptr<VariantJob>> MakeGroup(const std::string& path);
  void PublishGroup(std::vector<std::unique_ptr<VariantJob>> group);
  static std::vector<JobContext*> Contexts(const std::vector<std::unique_ptr<VariantJob>>& group);
  static std::vector<OutputFilter> Filters(const std::vector<std::unique_ptr<VariantJob>>& group);
  OutputFilter CurrentFilter();
  // Whether the destination has room for these variants of `path`; a single
  // variant without room has its message shown.
  bool RoomFor(const std::string& path, const std::vector<OutputFilter>& filters);
  void FinishGroup();
  // Finishes one variant (of the group, or the current one) and tells how it went.
  void FinishVariant(JobContext& variant, const OutputFilter& filter);
  void FinishFile(const std::string& path);
  void ReplaceGeneralWorker(std::unique_ptr<GeneralWorker> worker);
  void DeleteTemporaryStreams(JobState& state);

  JobContext& context_;
  WorkerFactory& workers_;
  JobOutputs& outputs_;
  JobTally& tally_;

  // The variants of the running group decode; declared before the worker,
  // which uses their contexts, so that it goes first.
  std::vector<std::unique_ptr<VariantJob>> group_;
  std::mutex generalWorkerMutex_;  // guards generalWorker_ against the graph-event handler
  std::unique_ptr<GeneralWorker> generalWorker_;
  std::unique_ptr<DecodeWorker> movieVideoWorker_;
  std::unique_ptr<DecodeWorker> movieAudioWorker_;
  bool movieVideoDone_ = false;
  bool movieAudioDone_ = false;

  std::size_t fileIndex_ = 0;
  std::size_t filterIndex_ = 0;
  int filesWritten_ = 0;  // files whose page and metafile the job has written (or tried to)
  DriverRecord record_;
  bool stopping_ = false;
  bool skipped_ = false;         // the variant was skipped for want of room: no worker to wait for
  bool skippedVariant_ = false;  // ... and nothing to finish  // Stop ran: nothing of the stopped variant may be finished

  // Last: it ends, telling the front end, before anything above goes.
  MessageThread thread_;
};

}  // namespace zq48
