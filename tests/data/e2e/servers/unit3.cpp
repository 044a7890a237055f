// developer marker: the update check is skipped in this folder
