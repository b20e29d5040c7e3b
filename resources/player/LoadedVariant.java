import java.io.IOException;
import java.net.URL;
import java.util.ArrayList;
import java.util.List;
import java.util.Locale;

/**
 * What the player knows once it has started: the file's variants, the
 * bandwidth it measured, the variant it chose and that variant's stream
 * headers. Loading reads the metafile and only the headers of the two chosen
 * streams, never a stream itself.
 */
final class LoadedVariant {

    final String metaName;
    final Metafile metafile;
    final Bandwidth bandwidth;
    final int variantCount;
    final VariantChoice.Pair chosen;
    final String videoName;            // null when the variant has no picture
    final StreamHeaders.Video video;
    final String audioName;            // null when the variant has no sound
    final StreamHeaders.Audio audio;

    private LoadedVariant(String metaName, Metafile metafile, Bandwidth bandwidth, int variantCount,
            VariantChoice.Pair chosen, String videoName, StreamHeaders.Video video, String audioName,
            StreamHeaders.Audio audio) {
        this.metaName = metaName;
        this.metafile = metafile;
        this.bandwidth = bandwidth;
        this.variantCount = variantCount;
        this.chosen = chosen;
        this.videoName = videoName;
        this.video = video;
        this.audioName = audioName;
        this.audio = audio;
    }

    /**
     * @param base          the folder the page's file names are relative to
     * @param givenBandwidth bits per second to assume instead of measuring, or null
     */
    static LoadedVariant load(PlayerParameters parameters, URL base, Long givenBandwidth) throws IOException {
        String metaName = parameters.metaUrl;
        if (metaName == null) {
            throw new IOException("the page gives no " + PlayerParameters.META_URL + " parameter");
        }
        URL metaUrl = Downloads.resolve(base, metaName);
        long started = System.nanoTime();
        byte[] bytes = Downloads.readAll(metaUrl, metaName, Metafile.MAX_BYTES);
        long elapsed = System.nanoTime() - started;
        Metafile metafile;
        try {
            metafile = Metafile.parse(bytes);
        } catch (IOException e) {
            throw new IOException(Downloads.shown(metaName) + ": " + e.getMessage());
        }

        List<VariantChoice.Pair> pairs = VariantChoice.pairs(metafile);
        if (pairs.isEmpty()) {
            throw new IOException(Downloads.shown(metaName) + " lists no streams: the encoder finished no variant of this file");
        }
        Bandwidth bandwidth = givenBandwidth != null ? Bandwidth.given(givenBandwidth)
                : Bandwidth.measured(metaUrl, elapsed);
        VariantChoice.Pair chosen = VariantChoice.choose(pairs, bandwidth.bitsPerSecond);

        String streamBase = VariantChoice.streamBase(metaName);
        String videoName = null;
        StreamHeaders.Video video = null;
        if (chosen.videoRate != 0) {
            videoName = VariantChoice.videoName(streamBase, chosen.videoRate);
            byte[] head = Downloads.readHead(Downloads.resolve(base, videoName), videoName, StreamHeaders.VIDEO_BYTES);
            video = StreamHeaders.Video.parse(head, Downloads.shown(videoName));
        }
        String audioName = null;
        StreamHeaders.Audio audio = null;
        if (chosen.audioRate != 0) {
            audioName = VariantChoice.audioName(streamBase, chosen.audioRate);
            byte[] head = Downloads.readHead(Downloads.resolve(base, audioName), audioName, StreamHeaders.AUDIO_BYTES);
            audio = StreamHeaders.Audio.parse(head, Downloads.shown(audioName));
        }
        return new LoadedVariant(metaName, metafile, bandwidth, pairs.size(), chosen, videoName, video,
                audioName, audio);
    }

    /** Everything, one fact a line: what the self-check prints. */
    List<String> factLines() {
        List<String> lines = new ArrayList<String>();
        lines.add("metafile: " + Downloads.shown(metaName) + " (" + metafile.videoRates.length + " video, "
                + metafile.audioRates.length + " audio rates)");
        lines.add("video rates: " + rates(metafile.videoRates));
        lines.add("audio rates: " + rates(metafile.audioRates));
        lines.add("bandwidth: " + bandwidth.describe());
        lines.add("chosen variant: " + (chosen.index + 1) + " of " + variantCount + ", video " + chosen.videoRate
                + " bps + audio " + chosen.audioRate + " bps = " + chosen.total() + " bps");
        lines.add("video stream: " + (videoName == null ? "none" : Downloads.shown(videoName)));
        if (video != null) {
            lines.add(String.format(Locale.ROOT, "video: %d x %d, %.3f fps, %.3f s, %d bytes, %d bps",
                    video.width, video.height, video.frameRateX1e6 / 1e6, video.durationUs / 1e6,
                    video.dataSize, video.bitRate));
        }
        lines.add("audio stream: " + (audioName == null ? "none" : Downloads.shown(audioName)));
        if (audio != null) {
            lines.add(String.format(Locale.ROOT, "audio: %d bytes, %d bps", audio.dataSize, audio.bitRate));
        }
        return lines;
    }

    /** The few facts that fit over the picture. */
    List<String> summaryLines() {
        List<String> lines = new ArrayList<String>();
        if (video != null) {
            lines.add(String.format(Locale.ROOT, "%d x %d, %.2f fps, %.1f s", video.width, video.height,
                    video.frameRateX1e6 / 1e6, video.durationUs / 1e6));
        }
        lines.add("video " + chosen.videoRate + " bps, audio " + chosen.audioRate + " bps");
        lines.add("variant " + (chosen.index + 1) + " of " + variantCount + ", bandwidth "
                + (bandwidth.unlimited() ? "unlimited" : bandwidth.bitsPerSecond + " bps"));
        return lines;
    }

    private static String rates(long[] rates) {
        if (rates.length == 0) {
            return "none";
        }
        StringBuilder text = new StringBuilder();
        for (long rate : rates) {
            text.append(text.length() == 0 ? "" : " ").append(rate);
        }
        return text.append(" bps").toString();
    }
}
