import java.io.BufferedOutputStream;
import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.OutputStream;
import java.io.PrintStream;
import java.io.RandomAccessFile;
import java.net.URL;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/**
 * "--decode DIR": decodes the variant the player would play, from its
 * first picture and sample to its last, into DIR/video.yuv (planar 4:2:0
 * pictures one after another) and DIR/audio.wav (16-bit PCM, as heard: the
 * MP3 encoder's start-up delay left out). No window and no sound device:
 * scripts and tests see exactly what the player would show and play. A
 * damaged or missing stream is reported and makes the exit status 1, and
 * whatever could be decoded is still written.
 */
final class HeadlessDecode {

    /** The size of the pieces the decoders are fed, as a download would hand them over. */
    static final int CHUNK = 4096;

    private final List<String> problems = new ArrayList<String>();
    private final List<String> warnings = new ArrayList<String>();
    private final PrintStream out;

    private HeadlessDecode(PrintStream out) {
        this.out = out;
    }

    static int run(String target, Long bandwidth, String folder, PrintStream out, PrintStream err) {
        HeadlessDecode decode = new HeadlessDecode(out);
        try {
            decode.decodeAll(target, bandwidth, folder);
        } catch (IOException e) {
            decode.problems.add(e.getMessage());
        } catch (RuntimeException e) {
            decode.problems.add("decoding stopped: " + e);
        }
        for (String warning : decode.warnings) {
            err.println("zqmPlayer: warning: " + warning);
        }
        for (String problem : decode.problems) {
            err.println("zqmPlayer: " + problem);
        }
        return decode.problems.isEmpty() ? 0 : 1;
    }

    private void decodeAll(String target, Long bandwidth, String folder) throws IOException {
        StandaloneSite site = StandaloneSite.open(target);
        PlayerParameters parameters = new PlayerParameters(site::getParameter);
        URL base = parameters.baseUrl(site.getCodeBase(), site.getDocumentBase());
        LoadedVariant variant = LoadedVariant.load(parameters, base, bandwidth);
        File dir = new File(folder);
        if (!dir.isDirectory() && !dir.mkdirs()) {
            throw new IOException("cannot make the folder " + folder);
        }
        if (variant.video != null) {
            byte[] stream = payload(base, variant.videoName, StreamHeaders.VIDEO_BYTES, variant.video.dataSize);
            decodeVideo(Downloads.shown(variant.videoName), variant.video, stream, new File(dir, "video.yuv"));
        }
        if (variant.audio != null) {
            byte[] stream = payload(base, variant.audioName, StreamHeaders.AUDIO_BYTES, variant.audio.dataSize);
            decodeAudio(Downloads.shown(variant.audioName), stream, new File(dir, "audio.wav"));
        }
    }

    /** The elementary stream: what the header says follows it, or what there is of it. */
    private byte[] payload(URL base, String reference, int headerBytes, long dataSize) throws IOException {
        byte[] file = Downloads.readAll(Downloads.resolve(base, reference), reference, StreamDownload.MAX_BYTES);
        String name = Downloads.shown(reference);
        long present = file.length - headerBytes;
        if (present < dataSize) {
            problems.add(name + " is cut short: its header promises " + dataSize + " bytes of stream, the file holds "
                    + present);
        } else if (present > dataSize) {
            warnings.add(name + " has " + (present - dataSize) + " bytes after its stream; they are ignored");
        }
        if (dataSize == 0) {
            problems.add(name + " holds no stream (its header gives no length)");
        }
        return Arrays.copyOfRange(file, headerBytes, headerBytes + (int) Math.min(present, dataSize));
    }

    private void decodeVideo(String name, StreamHeaders.Video header, byte[] stream, File yuv) throws IOException {
        VideoDecodeCount count = new VideoDecodeCount(header);
        Mp4vStreamSplitter splitter = new Mp4vStreamSplitter();
        Mp4vDecoder decoder = new Mp4vDecoder();
        try (OutputStream file = new BufferedOutputStream(new FileOutputStream(yuv), 1 << 16)) {
            for (int at = 0; at < stream.length; at += CHUNK) {
                splitter.feed(stream, at, Math.min(CHUNK, stream.length - at));
                for (byte[] unit = splitter.next(); unit != null; unit = splitter.next()) {
                    count.decode(decoder, unit, file);
                }
            }
            byte[] last = splitter.finish();
            if (last != null) {
                count.decode(decoder, last, file);
            }
        }
        int width = count.width > 0 ? count.width : header.width;
        int height = count.height > 0 ? count.height : header.height;
        out.println("video: " + width + "x" + height + " " + count.pictures);
        if (count.pictures == 0) {
            problems.add(name + ": no picture could be decoded");
        }
        if (decoder.damagedPictures() > 0) {
            problems.add(name + ": " + decoder.damagedPictures() + " damaged pictures");
        }
        if (count.failures > 0) {
            problems.add(name + ": the decoder failed on " + count.failures + " pictures");
        }
        if (count.misshapen > 0) {
            problems.add(name + ": " + count.misshapen + " pictures are not " + header.width + " x " + header.height
                    + " as the header says");
        }
        if (count.offTime > 0) {
            // Our streams stamp picture n with n frame times: a picture lost in damage moves the later ones.
            problems.add(name + ": " + count.offTime + " pictures are out of place (their time stamps are more than"
                    + " half a frame away from their count at the frame rate): pictures are missing");
        }
    }

    /** The running tally of one video stream's decoding. */
    private static final class VideoDecodeCount {
        final StreamHeaders.Video header;
        int units;       // picture headers seen
        int pictures;    // pictures written
        int failures;
        int misshapen;
        int offTime;
        int width;
        int height;
        Double firstTime;

        VideoDecodeCount(StreamHeaders.Video header) {
            this.header = header;
        }

        void decode(Mp4vDecoder decoder, byte[] unit, OutputStream file) throws IOException {
            boolean isPicture = VopHeaders.codingType(unit) != VopHeaders.NO_PICTURE;
            Mp4vPicture picture;
            try {
                picture = decoder.decode(unit, 0, unit.length);
            } catch (RuntimeException e) {
                failures++;
                picture = null;
            }
            if (isPicture) {
                units++;
            }
            if (picture == null) {
                return;
            }
            if (!PictureImage.wellFormed(picture)) {
                failures++;
                return;
            }
            if (picture.width != header.width || picture.height != header.height) {
                misshapen++;
            }
            if (width == 0) {
                width = picture.width;
                height = picture.height;
            }
            checkTime(picture);
            int luma = picture.width * picture.height;
            int chroma = ((picture.width + 1) / 2) * ((picture.height + 1) / 2);
            file.write(picture.y, 0, luma);
            file.write(picture.u, 0, chroma);
            file.write(picture.v, 0, chroma);
            pictures++;
        }

        /** Picture n plays at n / frame rate; its own time stamp should say the same. */
        private void checkTime(Mp4vPicture picture) {
            if (picture.ticksPerSecond <= 0 || header.frameRateX1e6 == 0) {
                return;
            }
            double time = picture.timeTicks / (double) picture.ticksPerSecond;
            if (firstTime == null) {
                firstTime = time;
            }
            double frame = 1e6 / header.frameRateX1e6;
            double expected = (units - 1) * frame;
            if (Math.abs(time - firstTime - expected) > frame / 2) {
                offTime++;
            }
        }
    }

    private void decodeAudio(String name, byte[] stream, File wav) throws IOException {
        Mp3Decoder decoder = new Mp3Decoder();
        Mp3StartTrim trim = new Mp3StartTrim();
        short[] pcm = new short[2 * 1152];
        byte[] bytes = new byte[pcm.length * 2];
        long samples = 0;
        int rate = 0;
        int channels = 0;
        boolean formatChanged = false;
        try (OutputStream file = new BufferedOutputStream(new FileOutputStream(wav), 1 << 16)) {
            file.write(new byte[WavHeader.BYTES]);
            // The stream's pieces, then its end (which lets the last frame decode without a next one).
            for (int at = 0; at < stream.length + CHUNK; at += CHUNK) {
                if (at < stream.length) {
                    decoder.feed(stream, at, Math.min(CHUNK, stream.length - at));
                } else {
                    decoder.endOfStream();
                }
                for (int n = decoder.decodeNext(pcm); n > 0; n = decoder.decodeNext(pcm)) {
                    if (rate == 0) {
                        rate = decoder.sampleRate();
                        channels = decoder.channels();
                    } else if (rate != decoder.sampleRate() || channels != decoder.channels()) {
                        formatChanged = true;
                    }
                    int first = trim.dropFrom(n) * channels;
                    int values = n * channels - first;
                    for (int i = 0; i < values; i++) {
                        bytes[2 * i] = (byte) pcm[first + i];
                        bytes[2 * i + 1] = (byte) (pcm[first + i] >> 8);
                    }
                    file.write(bytes, 0, 2 * values);
                    samples += values / channels;
                }
            }
        }
        try (RandomAccessFile file = new RandomAccessFile(wav, "rw")) {
            file.write(WavHeader.bytes(rate, Math.max(channels, 1), samples));
        }
        if (rate == 0) {
            problems.add(name + ": no sound could be decoded");
            return;
        }
        out.println("audio: " + rate + " " + channels + " " + samples);
        if (decoder.damagedFrames() > 0) {
            problems.add(name + ": " + decoder.damagedFrames() + " damaged frames");
        }
        if (formatChanged) {
            problems.add(name + ": the sample rate or channel count changes inside the stream");
        }
    }
}
