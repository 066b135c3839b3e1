PROGRAM BoucleReelle;
VAR I: INTEGER;
VAR X, Y, Z: REAL;
BEGIN
  I := 0;
  X := 0;
  Z := 0;
  WHILE I < 1600000 DO
  BEGIN
    X := X + 1,5;
    Y := X / 4;
    Z := Y - Z;
    I := I + 1;
  END;
  WEND;
  WRITELN(Z);
END.
