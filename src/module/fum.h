// FUM: the file utilities object. Owns every member, the settings that file
// methods obey, the open-file table and the current file (through FumState),
// and publishes the property and method tables with every alternate spelling.
#pragma once

#include <memory>

#include "binary/bulk.h"
#include "binary/row_bin.h"
#include "binary/record.h"
#include "binary/scribe.h"
#include "bridge/module_object.h"
#include "fum/help.h"
#include "fum/open_close.h"
#include "fum/positioning.h"
#include "fum/queries.h"
#include "fum/settings.h"
#include "import/mathematica.h"
#include "import/sigma_dos.h"
#include "import/sigma_win.h"
#include "import/wav.h"
#include "text/block.h"
#include "text/char_read.h"
#include "text/line_token.h"
#include "text/rows.h"
#include "text/write.h"
#include "text/wks_block.h"

namespace kfio {

class FUM : public XoDLL, public FumState {
  KFIO_DECLARE_DYNAMIC(FUM, XoDLL)
 public:
  FUM();

  void Reset() override;
  void AfterException() override { nestedCall = false; }

  XoReset reset;
  XoListSep listSepMethod;
  XoOpen open;
  XoClose close;
  XoCloseAll closeAll;
  XoExists exists;
  XoRemove remove;
  XoSize size;
  XoGetPos getPos;
  XoSetPos setPos;
  XoRewind rewind;
  XoToEnd toEnd;
  XoJump jump;
  XoJumpChunk jumpChunk;
  XoSwitchMode switchMode;
  XoRead read;
  XoWrite write;
  XoFRead fRead;
  XoFWrite fWrite;
  XoDRead dRead;
  XoDWrite dWrite;
  XoLDRead ldRead;
  XoLDWrite ldWrite;
  XoARead aRead;
  XoAWrite aWrite;
  XoReadRowBin readRowBin;
  XoReadRecord readRecord;
  XoWriteRecord writeRecord;
  XoReadRow readRow;
  XoLineRow lineRow;
  XoTRead tRead;
  XoLRead lRead;
  XoReadToken readToken;
  XoReadArray readArray;
  XoASCII ascii;
  XoCRead cRead;
  XoTWrite tWrite;
  XoLWrite lWrite;
  XoMathematica mathematica;
  XoSigmaDos sigmaDos;
  XoSigmaWin sigmaWin;
  XoWav wav;
  XoWksBlock wksBlock;
  XoSyntax syntax;
  XoAltSpell altSpell;
  XoListAll listAll;

 private:
  void BuildTables();
};

// The one FUM instance, from anywhere in the module.
FUM& TheFum();

}  // namespace kfio
