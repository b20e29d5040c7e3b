/**
 * The side information after the header: where the frame's main data
 * begins in the bit reservoir, which scale factors the second granule
 * shares with the first, and each granule's coding parameters.
 */
final class Mp3SideInfo {

    int mainDataBegin;
    /** Per channel, the four scale factor groups the second granule takes over from the first. */
    final boolean[][] scfsi = new boolean[2][4];
    /** [granule][channel] */
    final Mp3Granule[][] granules = {{new Mp3Granule(), new Mp3Granule()}, {new Mp3Granule(), new Mp3Granule()}};

    /** Reads the side information; false when it holds values no encoder writes. */
    boolean read(Mp3Bits bits, Mp3Header header) {
        int channels = header.channels;
        if (header.lsf) {
            mainDataBegin = bits.read(8);
            bits.skip(channels == 1 ? 1 : 2);
        } else {
            mainDataBegin = bits.read(9);
            bits.skip(channels == 1 ? 5 : 3);
            for (int ch = 0; ch < channels; ch++) {
                for (int group = 0; group < 4; group++) {
                    scfsi[ch][group] = bits.readFlag();
                }
            }
        }
        for (int gr = 0; gr < header.granules(); gr++) {
            for (int ch = 0; ch < channels; ch++) {
                if (!readGranule(bits, header, granules[gr][ch])) {
                    return false;
                }
            }
        }
        return true;
    }

    private static boolean readGranule(Mp3Bits bits, Mp3Header header, Mp3Granule g) {
        g.part23Length = bits.read(12);
        g.bigValues = bits.read(9);
        g.globalGain = bits.read(8);
        g.scalefacCompress = bits.read(header.lsf ? 9 : 4);
        boolean windowSwitching = bits.readFlag();
        int[] longBands = Mp3Bands.LONG[header.rateIndex];
        if (windowSwitching) {
            g.blockType = bits.read(2);
            g.mixedBlock = bits.readFlag();
            g.tableSelect[0] = bits.read(5);
            g.tableSelect[1] = bits.read(5);
            g.tableSelect[2] = 0;
            for (int w = 0; w < 3; w++) {
                g.subblockGain[w] = bits.read(3);
            }
            if (g.blockType == Mp3Granule.BLOCK_NORMAL) {
                return false;   // window switching always names a non-normal block type
            }
            // Region 0 covers the first 36 lines (72 at 8 kHz for short blocks), region 1 the rest.
            g.region1Start = g.blockType == Mp3Granule.BLOCK_SHORT && !g.mixedBlock
                    ? Mp3Bands.SHORT[header.rateIndex][3] * 3 : longBands[8];
            g.region2Start = 576;
        } else {
            g.blockType = Mp3Granule.BLOCK_NORMAL;
            g.mixedBlock = false;
            for (int i = 0; i < 3; i++) {
                g.tableSelect[i] = bits.read(5);
            }
            int region0Count = bits.read(4);
            int region1Count = bits.read(3);
            g.subblockGain[0] = g.subblockGain[1] = g.subblockGain[2] = 0;
            g.region1Start = longBands[Math.min(region0Count + 1, 22)];
            g.region2Start = longBands[Math.min(region0Count + region1Count + 2, 22)];
        }
        g.preflag = !header.lsf && bits.readFlag();
        g.scalefacScale = bits.readFlag();
        g.count1Table = bits.read(1);
        return g.bigValues <= 288;
    }
}
