#pragma once

// How an encode job runs: read this first.
//
// Threads. The front end's thread calls the Engine (engine.h), which hands
// Encode, Pause, Resume and Stop to the EncodeController. Encode takes the
// job's snapshot (a read-only copy of the catalog with the planned amounts)
// and starts this driver: one thread with a mailbox (core/message_thread.h)
// whose handlers do everything below, one message at a time. The driver
// walks each file's variants in groups that one decode can feed
// (variant_group.h; with --sequential every group has one variant), and for
// each group makes its decode workers (pipeline/worker_factory.h), each with
// a thread of its own:
//   - general path: a GeneralDecodeWorker running the file's FileDecode.
//     Its decode graph (sources/decode_graph.h) reads and decodes on threads
//     of its own and hands every picture and sound buffer to one
//     VariantPipeline per variant, a thread running that variant's stages;
//   - movie files: a MovieWorker for the video and one for the sound, each
//     extracting the movie once for every variant of the group.
// The stages (video/, audio/) know no job: they write into the variant's
// outputs (pipeline/variant_outputs.h), which put the bytes into the
// variant's working stream files and its position into its progress.
// Variants whose sound settings are equal share one sound encode.
//
// Queues. Messages carry only their id (job_messages.h): a worker is made
// with its variants. Pictures and sound pass through each VariantPipeline's
// bounded queue, so a slow variant holds its decode back instead of filling
// memory; a group shares each decoded picture between its variants
// (core/buffer_pool.h), never copying it.
//
// Locks. What the job's threads share sits in JobState (job_state.h), each
// part under its own lock, never two at once (Guarded<T> aborts a thread
// that tries): lock A the done amounts, lock B the variants running (for
// the front end's progress), the flags lock (running, paused, stopped). The
// snapshot needs no lock: it does not change. Each variant is a VariantJob
// (variant_job.h): a plan made once, stream files that only one thread
// writes at a time (the driver reads them after joining the decode), and
// its progress under a lock of its own.
//
// The path of one group. OnStart (first) or OnNext (after each group):
// StartGroup plans the group's variants, checks the free space (RoomFor; a
// group without room goes one variant at a time, a variant without room is
// skipped with a message) and makes the workers; they create the working
// stream files and decode; the end comes as the graph event
// kGraphEventComplete (general path, seen by the controller's OnGraphEvent,
// which posts WM_JOB_NEXT) or as both movie workers' done messages. OnNext
// joins the workers and finishes the variants in list order: FinishVariant
// (package/finish_variant.cpp) checks the streams are whole, writes their
// headers and renames them to their measured rates; the job's events hear
// VariantFinished. After a file's last variant FinishFile writes its page
// and metafile (a file without variants is reported and passed over:
// PassFilesWithoutVariants); after the last file the player archive and
// button strip are written and the thread ends, its exit step telling the
// front end JobFinished with the job's summary (job_tally.h). Stop deletes
// the working files of the variants in progress; whatever was finished stays.

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
#include "encode/variant_job.h"

namespace zq48 {

// The job driver: walks the snapshot's input files in list order and, for
// each, its variants in list order. For every group of variants it starts
// the decode workers, waits for them to end (end of stream for the general
// path, both done messages for movie files), finishes the variants, and after a file's
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
  // Starts the decode of the group of variants of `path` from the current one on.
  void StartGroup(const std::string& path);
  // The plans of `count` variants of `path` from the current one on.
  std::vector<std::shared_ptr<VariantJob>> MakeGroup(const std::string& path, std::size_t count);
  void StartWorkers(int kind, bool hasAudio, bool hasVideo);
  // Whether the destination has room for the group; a single variant
  // without room has its message shown.
  bool RoomFor(const std::string& path, const std::vector<std::shared_ptr<VariantJob>>& group);
  // Finishes the group's variants in list order, as one at a time would.
  void FinishGroup();
  void FinishVariant(VariantJob& variant);
  void FinishFile(const std::string& path);
  void ReplaceGeneralWorker(std::unique_ptr<GeneralWorker> worker);
  void SetRunning(std::vector<std::shared_ptr<VariantJob>> group);
  std::vector<VariantJob*> GroupPointers() const;
  static void DeleteTemporaryStreams(VariantJob& variant);

  JobContext& context_;
  WorkerFactory& workers_;
  JobOutputs& outputs_;
  JobTally& tally_;

  // The variants of the running decode; declared before the workers, which
  // use them, so that the workers go first.
  std::vector<std::shared_ptr<VariantJob>> group_;
  std::mutex generalWorkerMutex_;  // guards generalWorker_ against the graph-event handler
  std::unique_ptr<GeneralWorker> generalWorker_;
  std::unique_ptr<DecodeWorker> movieVideoWorker_;
  std::unique_ptr<DecodeWorker> movieAudioWorker_;
  bool movieVideoDone_ = false;
  bool movieAudioDone_ = false;

  std::size_t fileIndex_ = 0;
  std::size_t filterIndex_ = 0;  // of the group's first variant in its file's list
  int filesWritten_ = 0;  // files whose page and metafile the job has written (or tried to)
  DriverRecord record_;
  bool stopping_ = false;
  bool skipped_ = false;  // the variant was skipped for want of room: nothing to wait for or finish

  // Last: it ends, telling the front end, before anything above goes.
  MessageThread thread_;
};

}  // namespace zq48
