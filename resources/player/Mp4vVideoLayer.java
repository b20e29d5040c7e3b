/**
 * The video object layer header: picture size, time resolution and the
 * coding tools in use. `unsupported` names the first tool this decoder does
 * not implement (its pictures are then concealed), or is null.
 */
final class Mp4vVideoLayer {

    /** Largest picture accepted, in macroblocks (4096 x 2304). */
    private static final int MAX_MACROBLOCKS = 256 * 144;

    int width;
    int height;
    int timeResolution;
    int timeIncrementBits;
    boolean interlaced;
    int spriteEnable;
    boolean mpegQuant;
    int[] intraMatrix;  // null: default
    int[] interMatrix;  // null: default
    boolean resyncMarkerDisable;
    boolean reducedResolutionEnable;
    String unsupported;

    /**
     * Parses the header that follows a video object layer start code;
     * `objectVerid` is the version of the enclosing visual object header.
     */
    static Mp4vVideoLayer parse(Mp4vBits in, int objectVerid) {
        Mp4vVideoLayer vol = new Mp4vVideoLayer();
        in.skip(1);  // random_accessible_vol
        int objectType = in.read(8);
        int verid = objectVerid;
        if (in.bit() != 0) {
            verid = in.read(4);
            in.skip(3);  // priority
        }
        if (in.read(4) == 15) {
            in.skip(16);  // pixel aspect ratio width and height
        }
        if (in.bit() != 0) {  // vol_control_parameters
            if (in.read(2) != 1) {
                vol.unsupported = "chroma format other than 4:2:0";
            }
            in.skip(1);  // low_delay
            if (in.bit() != 0) {
                skipVbvParameters(in);
            }
        }
        int shape = in.read(2);
        if (shape != 0) {
            vol.unsupported = "shaped video objects";
            return vol;
        }
        in.marker();
        vol.timeResolution = in.read(16);
        in.marker();
        if (vol.timeResolution == 0) {
            throw Mp4vDamage.INSTANCE;
        }
        vol.timeIncrementBits = Math.max(1, 32 - Integer.numberOfLeadingZeros(vol.timeResolution - 1));
        if (in.bit() != 0) {
            in.skip(vol.timeIncrementBits);  // fixed_vop_time_increment
        }
        in.marker();
        vol.width = in.read(13);
        in.marker();
        vol.height = in.read(13);
        in.marker();
        if (vol.width == 0 || vol.height == 0
                || ((vol.width + 15) / 16) * ((vol.height + 15) / 16) > MAX_MACROBLOCKS) {
            throw Mp4vDamage.INSTANCE;
        }
        vol.interlaced = in.bit() != 0;
        in.skip(1);  // obmc_disable
        vol.spriteEnable = verid == 1 ? in.bit() : in.read(2);
        if (vol.spriteEnable != 0) {
            return unsupported(vol, "sprites and global motion");
        }
        if (in.bit() != 0) {  // not_8_bit
            int quantPrecision = in.read(4);
            int bitsPerPixel = in.read(4);
            if (quantPrecision != 5 || bitsPerPixel != 8) {
                return unsupported(vol, "samples other than 8 bits");
            }
        }
        vol.mpegQuant = in.bit() != 0;
        if (vol.mpegQuant) {
            if (in.bit() != 0) {
                vol.intraMatrix = readMatrix(in);
            }
            if (in.bit() != 0) {
                vol.interMatrix = readMatrix(in);
            }
        }
        if (verid != 1 && in.bit() != 0) {
            return unsupported(vol, "quarter-pel motion");
        }
        if (in.bit() == 0) {
            return unsupported(vol, "complexity estimation headers");
        }
        vol.resyncMarkerDisable = in.bit() != 0;
        if (in.bit() != 0) {
            return unsupported(vol, "data partitioning");
        }
        if (verid != 1) {
            if (in.bit() != 0) {
                return unsupported(vol, "NEWPRED");
            }
            vol.reducedResolutionEnable = in.bit() != 0;
        }
        if (in.bit() != 0) {
            return unsupported(vol, "scalability");
        }
        if (objectType == 0x12) {
            return unsupported(vol, "fine granularity scalability");
        }
        if (vol.interlaced) {
            return unsupported(vol, "interlaced video");
        }
        return vol;
    }

    private static Mp4vVideoLayer unsupported(Mp4vVideoLayer vol, String what) {
        if (vol.unsupported == null) {
            vol.unsupported = what;
        }
        return vol;
    }

    private static void skipVbvParameters(Mp4vBits in) {
        in.skip(15);
        in.marker();
        in.skip(15);
        in.marker();
        in.skip(15);
        in.marker();
        in.skip(3 + 11);
        in.marker();
        in.skip(15);
        in.marker();
    }

    /** A matrix in zigzag order; a 0 ends it early, the last value then fills the rest. */
    private static int[] readMatrix(Mp4vBits in) {
        int[] m = new int[64];
        int last = 0;
        int i = 0;
        for (; i < 64; i++) {
            int v = in.read(8);
            if (v == 0) {
                break;
            }
            last = v;
            m[Mp4vTables.ZIGZAG[i]] = v;
        }
        if (last == 0) {
            throw Mp4vDamage.INSTANCE;
        }
        for (; i < 64; i++) {
            m[Mp4vTables.ZIGZAG[i]] = last;
        }
        return m;
    }
}
