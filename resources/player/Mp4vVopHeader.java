/** The header of one video object plane (picture), and of the video packets inside it. */
final class Mp4vVopHeader {

    static final int I = 0;
    static final int P = 1;
    static final int B = 2;
    static final int S = 3;

    int type;
    int moduloTimeBase;
    int timeIncrement;
    boolean coded;
    int rounding;
    int intraDcThreshold;
    int quant;
    int fcode = 1;

    /** Parses the header after a VOP start code, up to the first macroblock. */
    void parse(Mp4vBits in, Mp4vVideoLayer vol) {
        type = in.read(2);
        moduloTimeBase = readModuloTimeBase(in);
        in.marker();
        timeIncrement = in.read(vol.timeIncrementBits);
        in.marker();
        coded = in.bit() != 0;
        if (!coded) {
            return;
        }
        rounding = type == P ? in.bit() : 0;
        if (vol.reducedResolutionEnable && (type == P || type == I) && in.bit() != 0) {
            throw Mp4vDamage.INSTANCE;  // reduced resolution pictures are not decoded
        }
        intraDcThreshold = in.read(3);
        quant = in.read(5);
        if (quant == 0) {
            throw Mp4vDamage.INSTANCE;
        }
        if (type != I) {
            fcode = in.read(3);
            if (fcode == 0) {
                throw Mp4vDamage.INSTANCE;
            }
        }
        if (type == B) {
            in.skip(3);
        }
    }

    private static int readModuloTimeBase(Mp4vBits in) {
        int n = 0;
        while (in.bit() != 0) {
            if (++n > 3600) {
                throw Mp4vDamage.INSTANCE;
            }
        }
        return n;
    }

    /** Zero bits before the final 1 of this picture's resync marker. */
    int resyncZeros() {
        return type == I ? 16 : 15 + fcode;
    }

    /**
     * Parses a video packet header after its resync marker (the reader
     * stands on the marker) and returns the number of its first macroblock;
     * sets `quant` to the packet's quantiser.
     */
    int parsePacket(Mp4vBits in, Mp4vVideoLayer vol, int mbCount) {
        in.skipStuffing();
        in.skip(resyncZeros() + 1);
        int mbBits = Math.max(1, 32 - Integer.numberOfLeadingZeros(mbCount - 1));
        int first = in.read(mbBits);
        if (first >= mbCount) {
            throw Mp4vDamage.INSTANCE;
        }
        quant = in.read(5);
        if (quant == 0) {
            throw Mp4vDamage.INSTANCE;
        }
        if (in.bit() != 0) {  // header extension: a copy of the picture's header fields
            readModuloTimeBase(in);
            in.marker();
            in.skip(vol.timeIncrementBits);
            in.marker();
            if (in.read(2) != type) {
                throw Mp4vDamage.INSTANCE;
            }
            in.skip(3);  // intra_dc_vlc_thr
            if (type != I) {
                in.skip(3);
            }
            if (type == B) {
                in.skip(3);
            }
        }
        return first;
    }
}
