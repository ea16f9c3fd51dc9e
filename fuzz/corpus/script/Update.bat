echo "Kielwanz wird aktualisiert"
test -d %s || exit 1
test -w %skielwanz || exit 1
cp -f %skielwanz %skielwanz
echo "Liesmich"
: %s
: %s
cp -f %sLiesmich.txt %sLiesmich.txt
 rm -f %skielwanz
 rm -f %sLiesmich.txt
