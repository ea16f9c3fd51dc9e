echo 100%%
: %s
: %s
cp -f %sa.txt %s
