import java.util.ArrayList;
import java.util.List;

/**
 * Which of the file's variants to play, and the names of its stream files.
 *
 * The metafile lists the video rates and the audio rates of the variants in
 * encoding order, so the i-th video and the i-th audio rate belong to the
 * same variant. A variant without sound (or without picture) has no entry in
 * that list, so when the counts differ the extra entries of the longer list
 * stand alone.
 */
final class VariantChoice {

    static final String META_SUFFIX = ".meta.zq48";

    /** One playable pair; a rate of 0 means the pair has no stream of that kind. */
    static final class Pair {
        final int index;  // from 0, in metafile order
        final long videoRate;
        final long audioRate;

        Pair(int index, long videoRate, long audioRate) {
            this.index = index;
            this.videoRate = videoRate;
            this.audioRate = audioRate;
        }

        long total() {
            return videoRate + audioRate;
        }
    }

    private VariantChoice() {
    }

    static List<Pair> pairs(Metafile metafile) {
        int count = Math.max(metafile.videoRates.length, metafile.audioRates.length);
        List<Pair> pairs = new ArrayList<Pair>();
        for (int i = 0; i < count; i++) {
            pairs.add(new Pair(i, i < metafile.videoRates.length ? metafile.videoRates[i] : 0,
                    i < metafile.audioRates.length ? metafile.audioRates[i] : 0));
        }
        return pairs;
    }

    /**
     * The richest pair the bandwidth carries; when none fits, the leanest, so
     * a slow link still gets a picture. Ties go to the earlier variant. Null
     * when there is nothing to play.
     */
    static Pair choose(List<Pair> pairs, long bitsPerSecond) {
        Pair best = null;
        Pair leanest = null;
        for (Pair pair : pairs) {
            if (pair.total() <= bitsPerSecond && (best == null || pair.total() > best.total())) {
                best = pair;
            }
            if (leanest == null || pair.total() < leanest.total()) {
                leanest = pair;
            }
        }
        return best != null ? best : leanest;
    }

    /** The metafile's name without ".meta.zq48": what every stream name starts with. */
    static String streamBase(String metaUrl) {
        return metaUrl.endsWith(META_SUFFIX) ? metaUrl.substring(0, metaUrl.length() - META_SUFFIX.length())
                : metaUrl;
    }

    static String videoName(String base, long rate) {
        return base + "_" + rate + "bps.video.zq48";
    }

    static String audioName(String base, long rate) {
        return base + "_" + rate + "bps.audio.zq48";
    }
}
