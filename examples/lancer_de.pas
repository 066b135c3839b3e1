PROGRAM Lancer_de;
VAR R, X: REAL;
VAR D, I, BONS: INTEGER;
{ Lance un dé 100 fois avec RANDOM et vérifie que chaque lancer donne 1 à 6. }
BEGIN
  RANDOMIZE;
  BONS := 0;
  FOR I:=1 TO 100 DO
  BEGIN
    R := RANDOM;
    X := R * 6;
    X := X + 0,5;
    D := INT(X);
    IF D >= 1 THEN
    BEGIN
      IF D <= 6 THEN
      BONS := BONS + 1;
    END;
  END;
  WRITE(BONS);
  WRITELN(' lancers sur 100 donnent un nombre de 1 à 6.');
END.
