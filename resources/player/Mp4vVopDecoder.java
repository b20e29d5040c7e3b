/**
 * Decodes the macroblocks of one coded picture in raster order, following
 * the video packets that resync markers start: each packet names its first
 * macroblock and quantiser, and predictions never reach across packets.
 */
final class Mp4vVopDecoder {

    final int mbWidth;
    final int mbHeight;
    private final Mp4vMacroblock macroblock;

    Mp4vVopDecoder(int mbWidth, int mbHeight, Mp4vQuant quant) {
        this.mbWidth = mbWidth;
        this.mbHeight = mbHeight;
        macroblock = new Mp4vMacroblock(new Mp4vMbMap(mbWidth, mbHeight), quant);
    }

    /** Decodes an I or P picture into cur (P predicted from ref); throws Mp4vDamage on bad data. */
    void decode(Mp4vBits in, Mp4vVideoLayer vol, Mp4vVopHeader vop, Mp4vFrame cur, Mp4vFrame ref) {
        Mp4vMacroblock mb = macroblock;
        mb.startPicture(in, cur, ref, vop);
        int count = mbWidth * mbHeight;
        boolean packets = !vol.resyncMarkerDisable;
        int zeros = vop.resyncZeros();
        boolean intra = vop.type == Mp4vVopHeader.I;
        for (int i = 0; i < count; i++) {
            if (packets && i > 0 && in.atResyncMarker(zeros)) {
                if (vop.parsePacket(in, vol, count) != i) {
                    throw Mp4vDamage.INSTANCE;
                }
                mb.qp = vop.quant;
                mb.packet++;
            }
            int mbx = i % mbWidth;
            int mby = i / mbWidth;
            if (intra) {
                mb.decodeIntraPicture(mbx, mby);
            } else {
                mb.decodePredictedPicture(mbx, mby);
            }
            in.checkOverrun();
        }
    }
}
