/**
 * Decodes an MPEG audio Layer III stream (MPEG-1, MPEG-2 and MPEG-2.5)
 * frame by frame into interleaved signed 16-bit PCM. Bytes arrive through
 * feed() in any split. Damaged frames and frames lost in junk come out as
 * silence of a frame's length, so that the timing of what follows holds.
 * Nothing here allocates per frame.
 */
final class Mp3Decoder {

    private final Mp3FrameFinder finder = new Mp3FrameFinder();
    private final Mp3Reservoir reservoir = new Mp3Reservoir();
    private final Mp3Bits bits = new Mp3Bits();
    private final Mp3SideInfo side = new Mp3SideInfo();
    private final Mp3ScaleFactors scaleFactors = new Mp3ScaleFactors();
    private final Mp3Stereo stereo = new Mp3Stereo();
    private final int[] quantised = new int[576];
    private final float[][] lines = new float[2][576];
    private final Mp3Imdct[] imdct = {new Mp3Imdct(), new Mp3Imdct()};
    private final Mp3Synthesis[] synthesis = {new Mp3Synthesis(), new Mp3Synthesis()};

    private int sampleRate;
    private int channels;
    private int damaged;
    /** Silent frames still owed for frames lost in skipped junk. */
    private int lostFrames;
    private int lostSamples;
    private String lastProblem;

    Mp3Decoder() {
    }

    /** Appends bytes of the stream (any split). */
    void feed(byte[] data, int offset, int length) {
        finder.feed(data, offset, length);
    }

    /** Marks the end of the stream, so that the last frame decodes without waiting for the next sync. */
    void endOfStream() {
        finder.endOfStream();
    }

    /**
     * Decodes the next complete frame into pcm (interleaved, channels() values per sample instant; at
     * least 2 * 1152 values). Returns the samples per channel written, or 0 when no complete frame is
     * buffered. Never throws.
     */
    int decodeNext(short[] pcm) {
        try {
            return next(pcm);
        } catch (RuntimeException e) {
            // Only a fault of this decoder itself gets here: drop the state it may have left behind.
            lastProblem = "decoder fault: " + e;
            resetFilters();
            reservoir.clear();
            return 0;
        }
    }

    int sampleRate() {
        return sampleRate;
    }

    int channels() {
        return channels;
    }

    int damagedFrames() {
        return damaged;
    }

    /** Bytes skipped because they belonged to no frame. */
    long skippedBytes() {
        return finder.skippedBytes();
    }

    /** What made the last frame decode as silence, or null. */
    String lastProblem() {
        return lastProblem;
    }

    private int next(short[] pcm) {
        if (lostFrames > 0) {
            lostFrames--;
            return damagedSilence(pcm, lostSamples, "frame lost in damaged data");
        }
        int status = finder.locate();
        if (status == Mp3FrameFinder.NEED_MORE || status == Mp3FrameFinder.END) {
            return 0;
        }
        if (finder.junkBefore() > 0 && finder.havePrevious()) {
            // The junk took the place of frames: their silence comes first, and the reservoir
            // no longer matches what follows.
            Mp3Header before = finder.previous();
            int lost = (finder.junkBefore() + before.frameBytes / 2) / before.frameBytes;
            finder.acceptJunk();
            reservoir.clear();
            resetFilters();
            if (lost > 0) {
                lostFrames = lost - 1;
                lostSamples = before.samplesPerFrame();
                channels = before.channels;
                return damagedSilence(pcm, lostSamples, "frame lost in damaged data");
            }
        }
        finder.acceptJunk();
        Mp3Header header = finder.header;
        sampleRate = header.sampleRate;
        channels = header.channels;
        int samples = header.samplesPerFrame();
        int offset = finder.frameOffset();
        if (status == Mp3FrameFinder.TRUNCATED) {
            finder.consume();
            return damagedSilence(pcm, samples, "stream ends inside a frame");
        }
        String problem;
        try {
            problem = decodeFrame(header, finder.buffer(), offset, pcm);
        } catch (RuntimeException e) {
            // Values no valid stream holds (an index out of its table): the frame is damaged.
            problem = "undecodable data";
        }
        finder.consume();
        if (problem != null) {
            resetFilters();
            return damagedSilence(pcm, samples, problem);
        }
        return samples;
    }

    /** Decodes one complete frame into pcm; returns why it could not, or null. */
    private String decodeFrame(Mp3Header header, byte[] frame, int offset, short[] pcm) {
        int mainData = offset + header.mainDataOffset();
        int frameEnd = offset + header.frameBytes;
        boolean crcOk = !header.protectedByCrc || Mp3Crc.matches(frame, offset, header.sideInfoBytes());
        bits.reset(frame, mainData - header.sideInfoBytes(), mainData);
        boolean sideOk = crcOk && side.read(bits, header);
        // The main data stays in the reservoir even when this frame is damaged: later frames may use it.
        int start = reservoir.append(frame, mainData, frameEnd);
        if (!crcOk) {
            return "check word mismatch";
        }
        if (!sideOk) {
            return "invalid side information";
        }
        if (side.mainDataBegin > start) {
            // The frame's data began before the stream (or before lost data): silent, not damaged.
            silence(pcm, header.samplesPerFrame() * header.channels);
            return null;
        }
        return decodeGranules(header, (start - side.mainDataBegin) * 8, pcm);
    }

    private String decodeGranules(Mp3Header header, int position, short[] pcm) {
        int channelCount = header.channels;
        bits.reset(reservoir.data(), 0, reservoir.length());
        int limit = reservoir.length() * 8;
        for (int gr = 0; gr < header.granules(); gr++) {
            for (int ch = 0; ch < channelCount; ch++) {
                Mp3Granule g = side.granules[gr][ch];
                int end = position + g.part23Length;
                if (end > limit) {
                    return "main data beyond the frame";
                }
                bits.seek(position);
                if (header.lsf) {
                    scaleFactors.readLsf(bits, g, header.intensityStereo() && ch == 1);
                } else {
                    scaleFactors.readMpeg1(bits, g, side.granules[0][ch], side.scfsi[ch], gr);
                }
                if (bits.position() > end || !Mp3Huffman.decode(bits, g, end, quantised)) {
                    return "invalid Huffman data";
                }
                Mp3Requantize.run(quantised, g, header.rateIndex, lines[ch]);
                position = end;
            }
            if (channelCount == 2 && header.mode == Mp3Header.MODE_JOINT) {
                stereo.run(lines[0], lines[1], side.granules[gr][1], header);
            }
            for (int ch = 0; ch < channelCount; ch++) {
                Mp3Granule g = side.granules[gr][ch];
                Mp3Antialias.run(lines[ch], g, nonZeroEnd(lines[ch]));
                imdct[ch].run(lines[ch], g);
                synthesis[ch].run(lines[ch], pcm, gr * 576 * channelCount + ch, channelCount);
            }
        }
        return null;
    }

    private static int nonZeroEnd(float[] v) {
        int n = 576;
        while (n > 0 && v[n - 1] == 0) {
            n--;
        }
        return n;
    }

    private int damagedSilence(short[] pcm, int samples, String problem) {
        damaged++;
        lastProblem = problem;
        silence(pcm, samples * channels);
        return samples;
    }

    private static void silence(short[] pcm, int values) {
        java.util.Arrays.fill(pcm, 0, values, (short) 0);
    }

    private void resetFilters() {
        for (int ch = 0; ch < 2; ch++) {
            imdct[ch].reset();
            synthesis[ch].reset();
        }
    }
}
